// The controller's timers: the keep-alive request to the web-client site,
// the watchdog of a submitted sign-in and the wait for the sign-in page.
#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "controller/SessionState.h"
#include "platform/Messages.h"

void CMainDlg::OnTimer(unsigned id) {
    if (id == TIMER_PING)
        OnKeepAlive();
    else if (id == TIMER_SIGNIN_WATCHDOG)
        OnSigninWatchdog();
    else if (id == TIMER_SIGNIN_PAGE)
        OnSigninPageTimeout();
}

void CMainDlg::OnKeepAlive() {
    // Requests never overlap: the next one is scheduled only once this one
    // and any box about it are done.
    m_ports.loop.KillTimer(m_hWnd, TIMER_PING);
    const bool alive = PingSite(AppSettings.webClientBaseUrl + "/ping");
    if (m_ended) return;
    if (!alive && g_sessionState != SignedOut) SignOut();
    if (m_hWnd) m_ports.loop.SetTimer(m_hWnd, TIMER_PING, kPingPeriodMs);
}

bool CMainDlg::PingSite(const std::string& address) {
    std::string error;
    bool alive = false;
    // The UI keeps running while the site is asked (the request is bounded
    // too); the program may be closed meanwhile.
    m_ports.loop.Await([&] { alive = m_sitePing(address, error); });
    // Signed out there is nothing the user could lose: nothing is shown.
    if (alive || m_ended || g_sessionState == SignedOut) return alive;
    m_ports.messageBox.Show(error, kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
    return false;
}
