#pragma once
// Message box, shell and event loop that record what the core asks of them.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/MessageBox.h"
#include "platform/System.h"

struct ShownBox {
    std::string text, title;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
};

class ScriptedMessageBox : public IMessageBox {
public:
    MessageBoxAnswer Show(const std::string& text, const std::string& title,
                          MessageBoxButtons buttons, MessageBoxIcon icon) override {
        shown.push_back({text, title, buttons, icon});
        return answer;
    }
    MessageBoxAnswer answer = MessageBoxAnswer::Cancel;
    std::vector<ShownBox> shown;
};

class RecordingShell : public IShell {
public:
    bool OpenUrl(const std::string& url) override {
        opened.push_back(url);
        return false;  // a failure to open must not keep the program running
    }
    std::string DefaultBrowserCommand() override { return {}; }
    bool LaunchBrowser(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> opened;
};

class RecordingLoop : public IEventLoop {
public:
    WindowHandle Register(IMessageTarget*) override { return 0; }
    void Unregister(WindowHandle) override {}
    bool Post(WindowHandle to, unsigned msg, std::uintptr_t, std::intptr_t) override {
        return false;
    }
    std::intptr_t Send(WindowHandle to, unsigned msg, std::uintptr_t, std::intptr_t) override {
        sent.push_back({to, msg});
        return 0;
    }
    void SetTimer(WindowHandle, unsigned, unsigned) override {}
    void KillTimer(WindowHandle, unsigned) override {}
    void Run() override {}
    void Quit() override {}
    std::vector<std::pair<WindowHandle, unsigned>> sent;
};
