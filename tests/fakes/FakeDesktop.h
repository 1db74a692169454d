#pragma once
// The small desktop services, with values a test sets.
#include <functional>
#include <string>
#include <vector>

#include "platform/BrowserSession.h"
#include "platform/System.h"

class FakeModulePath : public IModulePath {
public:
    std::string ExecutablePath() override { return executable; }
    std::string WorkingDirectory() override { return workingDirectory; }
    std::string executable = "/opt/murmel/murmel-alarm";
    std::string workingDirectory = "/home/user/";
};

class FakeSound : public ISound {
public:
    bool PlayFile(const std::string& path) override;
    bool PlayThemeSound(const std::string& name) override;
    std::vector<std::string> played;    // "file:<path>" or "theme:<name>"
    std::vector<std::string> existing;  // files that can be played
};

class FakeShell : public IShell {
public:
    bool OpenUrl(const std::string& url) override;
    std::string DefaultBrowserCommand() override { return browserCommand; }
    bool LaunchBrowser(const std::string& command, const std::string& url) override;
    std::vector<std::string> opened;
    std::string browserCommand;
    bool succeed = true;
};

class FakeClock : public IClock {
public:
    LocalTime Now() override { return now; }
    LocalTime now{2026, 12, 9, 14, 5, 0};
};

class FakeMemory : public IMemory {
public:
    void ReleaseFreeMemory() override { ++released; }
    int released = 0;
};

class FakeDisplayLanguage : public IDisplayLanguage {
public:
    unsigned LanguageId() override { return id; }
    unsigned id = 1033;
};

class FakeDesktop : public IDesktop {
public:
    Rect WorkArea() override { return workArea; }
    Rect workArea{0, 0, 1280, 760};
};

class FakeBrowserSession : public IBrowserSession {
public:
    void GetCookies(const std::string& url, std::function<void(const std::string&)> done) override;
    // Forgets at once, unless `deferEnd`: then `FinishEndSession` does.
    void EndSession(std::function<void()> done) override {
        ++sessionsEnded;
        if (deferEnd)
            pendingEnds.push_back(std::move(done));
        else if (done)
            done();
    }
    void FinishEndSession() {
        auto pending = std::move(pendingEnds);
        for (auto& done : pending)
            if (done) done();
    }
    bool deferEnd = false;
    std::vector<std::function<void()>> pendingEnds;
    std::string cookies;
    std::vector<std::string> askedFor;
    int sessionsEnded = 0;
};
