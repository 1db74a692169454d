// The two channels between the web-client page and the program: the page's
// ScriptToApp events and the program's AppToScript calls.
#include <charconv>

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "platform/Messages.h"

namespace {

// The page's event code is a 16-bit number; anything else is no code at all.
bool ParseCode(const std::string& text, int& code) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, code);
    return ec == std::errc() && ptr == end && code >= -32768 && code <= 32767;
}
}  // namespace

void CMainDlg::OnExternalCall(const std::string& method, const StringList& args) {
    const std::string first = args.empty() ? std::string() : args[0];
    if (method == "ScriptToApp") {
        int code = 0;
        if (!ParseCode(first, code)) return;
        ScriptToApp(code, args.size() > 1 ? args[1] : std::string());
    } else if (method == "SigninReady") {
        m_session.SigninReady();
    } else if (method == "SigninOk") {
        m_session.SigninOk(first);
    } else if (method == "Signin") {
        m_session.Signin();
    }
}

void CMainDlg::ScriptToApp(int code, const std::string& data) {
    switch (code) {
        case 101:
            m_session.SigninReady();
            break;
        case 300:
            m_session.AbandonSignIn();
            m_ports.messageBox.Show(LoadText(204), kTitle, MessageBoxButtons::Ok,
                                    MessageBoxIcon::None);
            m_login.Window()->SetForeground();
            break;
        case 301:
            m_session.SigninOk(data);
            break;
        case 302:
            HandleServiceLogout();
            break;
        case 304:
            if (m_host.Active()) break;
            m_tray.ChangeIcon(ICON_NEW_MESSAGE);
            m_tray.RevealIcon();
            ShowNotification(data, 2);
            break;
        case 401:
            m_ports.messageBox.Show(LoadText(205), kTitle, MessageBoxButtons::Ok,
                                    MessageBoxIcon::None);
            if (IHtmlWindow* host = m_host.Window()) host->Reload();
            break;
        default:
            break;
    }
}

void CMainDlg::CallAppToScript(int code, const std::string& data) {
    IHtmlWindow* host = m_host.Window();
    if (!host || !host->HasDocument()) return;
    if (!m_page.BindDocument(host)) return;
    m_page.InvokeScript("AppToScript", std::to_string(code), data);
}

void CMainDlg::HandleServiceLogout() {
    m_session.EndSession();
    IHtmlWindow* host = m_host.Window();
    const bool hostVisible = host && host->IsVisible();
    m_logoutNotice.ShowNotice();
    if (hostVisible) {
        host->Enable(false);
    } else if (host) {
        host->Hide();
        if (host->CurrentUrl().find(kSignInPath) == std::string::npos) m_session.LoadSignInPage();
    }
    ShowLoginStatus(std::nullopt);
}
