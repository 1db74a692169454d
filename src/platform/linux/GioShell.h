#pragma once
// The shell port on GIO: the default handler of https addresses opens them.
// Addresses are handed over as one argument each, never through a shell.
#include "platform/System.h"
#include "platform/Types.h"

class GioShell : public IShell {
public:
    bool OpenUrl(const std::string& url) override;
    // The default https handler's command line as its desktop entry states
    // it, field codes such as %u included.
    std::string DefaultBrowserCommand() override;
    bool LaunchBrowser(const std::string& command, const std::string& url) override;
};

// The argument vector that starts command with url: the first %u, %U, %f or
// %F becomes url, other field codes are dropped, %% becomes %; without a
// placeholder url is appended. Empty when the command cannot be parsed.
StringList BrowserArguments(const std::string& command, const std::string& url);
