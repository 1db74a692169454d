// The controller's calls into the network operations, kept apart so that
// the windows' own files stay small.
#include "controller/CMainDlg.h"
#include "controller/SessionState.h"
#include "net/CookieStore.h"
#include "net/PingSite.h"
#include "signin/CredentialCheck.h"

void CMainDlg::UseNetwork() {
    m_credentialCheck = [&network = m_ports.network](
                            const StringList& cookies, const std::string& email,
                            const std::string& password, std::string& userId,
                            const std::atomic<bool>& cancelled) {
        return CheckCredentials(network, cookies, email, password, userId, &cancelled);
    };
    m_sitePing = [&network = m_ports.network](const std::string& address, std::string& error) {
        return ::PingSite(network, address, error);
    };
}

int CMainDlg::CheckVersion() {
    if (!m_versionCheck) {
        m_versionCheck = std::make_unique<CVersionCheck>(VersionCheckContext{
            m_ports.network, m_ports.messageBox, m_ports.shell, m_ports.loop, m_hWnd, kTitle,
            [](unsigned id) { return LoadText(static_cast<int>(id)); }, [this] { SignOut(); }});
    }
    const std::string cookies =
        g_sessionState == SignedIn && m_signinInfo ? m_signinInfo->cookies : std::string();
    // The UI goes on while the request runs (see CVersionCheck), so a second
    // check could start from within this one.
    m_checkingVersion = true;
    const int closing = m_versionCheck->CheckVersion(AppSettings.webClientBaseUrl, cookies);
    m_checkingVersion = false;
    return closing;
}

void CMainDlg::EndHttpSession() {
    ClearCookieStore();
}
