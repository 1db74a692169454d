// The version check the controller makes at start-up and before a sign-in.
#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "controller/CMainDlg.h"

int CMainDlg::CheckVersion() {
    if (!m_versionCheck) {
        m_versionCheck = std::make_unique<CVersionCheck>(VersionCheckContext{
            m_ports.network, m_ports.messageBox, m_ports.shell, m_ports.loop, m_hWnd, kTitle,
            [](unsigned id) { return LoadText(static_cast<int>(id)); },
            [this] { m_session.SignOut(); }});
    }
    const std::string cookies = m_session.SessionCookies();
    // The UI goes on while the request runs (see CVersionCheck), so a second
    // check could start from within this one.
    m_checkingVersion = true;
    const int closing = m_versionCheck->CheckVersion(AppSettings.webClientBaseUrl, cookies);
    m_checkingVersion = false;
    return closing;
}
