#pragma once
// The version check against the web-client site and the update prompts it
// can lead to. UI thread; the request itself runs through IEventLoop::Await.
#include <functional>
#include <string>

#include "net/VersionAnswer.h"
#include "platform/EventLoop.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "platform/Types.h"

// The running version, sent with the check and shown by the settings window.
inline constexpr const char* kProgramVersion = MURMEL_VERSION;

// Asks the site's version service and fills `info` from a usable answer.
// Returns the request's result: 0 when it failed, else kNetOk whether or not
// the answer was usable.
int QueryVersion(INetworkStatus& network, const std::string& webClientBaseUrl,
                 const StringList& cookies, VersionInfo& info);

// The ports and controller hooks the prompts need.
struct VersionCheckContext {
    INetworkStatus& network;
    IMessageBox& messageBox;
    IShell& shell;
    IEventLoop& loop;
    WindowHandle controller;                    // receives WM_CLOSE
    std::string title;                          // the application's name
    std::function<std::string(unsigned)> text;  // a localized text by string id
    std::function<void()> signOut;              // the controller's SignOut
};

class CVersionCheck {
public:
    explicit CVersionCheck(VersionCheckContext context) : m_context(std::move(context)) {}

    // Checks, with the signed-in session's cookies (empty text when not
    // signed in), and prompts when an update is available. Returns 1 when
    // the program is closing for the update, else 0.
    int CheckVersion(const std::string& webClientBaseUrl, const std::string& sessionCookies);
    // The prompt for a check's answer; same result as CheckVersion.
    int PromptForUpdate(const VersionInfo& info);
    // Hands the address to the user's browser and closes the controller.
    void OpenDownloadUrl(const std::string& url);

private:
    VersionCheckContext m_context;
    StringList m_cookieList;  // refilled at each check
};
