#pragma once
// Opens a page of the service in the user's default browser.
#include <string>

#include "platform/System.h"

// The default browser's start command, empty when none is registered.
std::string GetDefaultBrowserCommand(IShell& shell);
// Hands the address to the default browser, or to the desktop's handler
// for it when no browser is registered. Failures are silent.
void OpenInBrowser(IShell& shell, const std::string& url);
// Opens a link that a page wants shown outside the program: http and https
// addresses in the default browser, mailto in the desktop's mail handler.
// Any other scheme (file:, custom handlers) is refused: false.
bool OpenLinkOutside(IShell& shell, const std::string& url);
