#include "desktop/OpenInBrowser.h"

#include <algorithm>
#include <cctype>

namespace {
// The scheme of an address, lower-cased; empty when it has none.
std::string SchemeOf(const std::string& url) {
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return {};
    std::string scheme = url.substr(0, colon);
    const bool valid = std::isalpha(static_cast<unsigned char>(scheme[0])) &&
                       std::all_of(scheme.begin(), scheme.end(), [](unsigned char c) {
                           return std::isalnum(c) || c == '+' || c == '-' || c == '.';
                       });
    if (!valid) return {};
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return scheme;
}
}  // namespace

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

bool OpenLinkOutside(IShell& shell, const std::string& url) {
    const std::string scheme = SchemeOf(url);
    if (scheme == "http" || scheme == "https") {
        // An address without a host would be read by the browser as a file.
        if (url.compare(scheme.size(), 3, "://") != 0 || url.size() <= scheme.size() + 3)
            return false;
        OpenInBrowser(shell, url);
        return true;
    }
    if (scheme == "mailto") return shell.OpenUrl(url);
    return false;
}
