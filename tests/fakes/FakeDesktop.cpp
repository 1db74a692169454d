#include "fakes/FakeDesktop.h"

#include <algorithm>

bool FakeSound::PlayFile(const std::string& path) {
    if (std::find(existing.begin(), existing.end(), path) == existing.end()) return false;
    played.push_back("file:" + path);
    return true;
}

bool FakeSound::PlayThemeSound(const std::string& name) {
    played.push_back("theme:" + name);
    return true;
}

bool FakeShell::OpenUrl(const std::string& url) {
    opened.push_back(url);
    return succeed;
}

bool FakeShell::LaunchBrowser(const std::string& command, const std::string& url) {
    opened.push_back(command + " " + url);
    return succeed;
}

void FakeBrowserSession::GetCookies(const std::string& url,
                                    std::function<void(const std::string&)> done) {
    askedFor.push_back(url);
    done(cookies);
}
