#include "desktop/OpenInBrowser.h"

std::string GetDefaultBrowserCommand(IShell& shell) {
    return shell.DefaultBrowserCommand();
}

void OpenInBrowser(IShell& shell, const std::string& url) {
    const std::string command = GetDefaultBrowserCommand(shell);
    if (command.empty())
        shell.OpenUrl(url);
    else
        shell.LaunchBrowser(command, url);
}
