#include "net/VersionCheck.h"

#include "net/HttpRequest.h"
#include "platform/Messages.h"

namespace {

const char* const kVersionPath =
    "/plugin/version.json?platform=web&osversion=windows&model=*&appversion=";
const char* const kClientHeader = "whoami:murmel_notifier";

enum : unsigned { kTextUpdateReady = 200, kTextUpdateRequired = 201 };

}  // namespace

int QueryVersion(INetworkStatus& network, const std::string& webClientBaseUrl,
                 const StringList& cookies, VersionInfo& info) {
    const std::string url = EnsureScheme(webClientBaseUrl + kVersionPath + kProgramVersion);
    std::string response;
    const int result = HttpRequest(network, HttpVerb::Get, url, cookies, {kClientHeader}, {},
                                   response, nullptr, kUiRequestLimits);
    if (result != kNetOk) return result;
    ReadVersionAnswer(response, info);
    return kNetOk;
}

int CVersionCheck::CheckVersion(const std::string& webClientBaseUrl,
                                const std::string& sessionCookies) {
    SplitCookies(m_cookieList, sessionCookies);
    VersionInfo info;
    // The request runs beside the UI thread, which goes on drawing and
    // answering the bus until the answer is in or the request's bound ends
    // it; the prompt, if any, comes after, as before.
    const std::string base = webClientBaseUrl;
    const StringList cookies = m_cookieList;
    m_context.loop.Await([&] { QueryVersion(m_context.network, base, cookies, info); });
    return PromptForUpdate(info);
}

int CVersionCheck::PromptForUpdate(const VersionInfo& info) {
    if (info.uptodate) return 0;
    if (info.critical) {
        const MessageBoxAnswer answer =
            m_context.messageBox.Show(m_context.text(kTextUpdateRequired), m_context.title,
                                      MessageBoxButtons::YesNo, MessageBoxIcon::Question);
        if (answer == MessageBoxAnswer::Yes) {
            OpenDownloadUrl(info.downloadurl);
        } else {
            m_context.signOut();
            m_context.loop.Send(m_context.controller, WM_CLOSE);
        }
        return 1;
    }
    const MessageBoxAnswer answer =
        m_context.messageBox.Show(m_context.text(kTextUpdateReady), m_context.title,
                                  MessageBoxButtons::OkCancel, MessageBoxIcon::Warning);
    if (answer != MessageBoxAnswer::Ok) return 0;
    OpenDownloadUrl(info.downloadurl);
    return 1;
}

void CVersionCheck::OpenDownloadUrl(const std::string& url) {
    // Nothing is cached between requests here, so the download is always
    // fetched anew.
    m_context.shell.OpenUrl(url);
    m_context.loop.Send(m_context.controller, WM_CLOSE);
}
