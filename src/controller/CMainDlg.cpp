#include "controller/CMainDlg.h"

#include <utility>

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "platform/Messages.h"

CMainDlg::CMainDlg(Ports& ports)
    : m_ports(ports), m_login(ports), m_tray(ports.tray), m_toasts(ports) {}

CMainDlg::~CMainDlg() {
    if (m_hWnd) OnDestroy();
}

void CMainDlg::DoModal() {
    Start();
    if (!m_ended) m_ports.loop.Run();
    OnDestroy();
}

void CMainDlg::Start() {
    PutUpTrayItem();
    // The windows are made from the running loop, a step at a turn: the
    // tray item answers its host between the steps, each of which takes a
    // while on a busy machine.
    m_ports.loop.Post(m_hWnd, UWM_MAKE_WINDOWS);
}

bool CMainDlg::Create() {
    PutUpTrayItem();
    while (!m_windowsMade)
        if (!MakeWindowsStep()) return false;
    return true;
}

void CMainDlg::PutUpTrayItem() {
    m_hWnd = m_ports.loop.Register(this);
    // The tray item needs only the bus, its image and its texts, not the
    // windows: it goes up before the engine starts making pages.
    m_login.LoadPageTexts();
    RefreshTrayIcon();
}

bool CMainDlg::MakeWindowsStep() {
    switch (m_windowsStep++) {
        case 0:
            return m_ports.htmlWindows.Load();
        case 1:
            if (!m_login.Create(
                    LoginWindow::Events{[this] { m_session.Signin(); },
                                        [this](const std::string& method, const StringList& args) {
                                            OnExternalCall(method, args);
                                        }}))
                return false;
            // Boxes keep input from the login window only: toasts and the
            // web client go on taking clicks while one is open.
            m_ports.messageBox.SetOwner(m_login.Window());
            return true;
        default:
            if (!OnInitDialog()) return false;
            m_windowsMade = true;
            // What the user asked of the tray item meanwhile, in order.
            for (const std::function<void()>& call : std::exchange(m_heldForWindows, {})) call();
            return true;
    }
}

bool CMainDlg::HeldForWindows(std::function<void()> call) {
    if (m_windowsMade) return false;
    m_heldForWindows.push_back(std::move(call));
    return true;
}

bool CMainDlg::OnInitDialog() {
    m_login.Window()->SetTitle(kTitle);
    ShowLoginStatus("1");

    // The settings window is made when it is first opened, the toasts when
    // a sign-in starts: the login form alone is drawn first, and a user who
    // never signs in pays for neither.
    m_toasts.Create(m_hWnd);

    // The service's pages may talk to the program; other sites' may not.
    m_ports.htmlWindows.SetTrustedOrigin(AppSettings.webClientBaseUrl);
    m_host.Create(
        m_ports.htmlWindows,
        WebClientEvents{[this](const std::string& method, const StringList& args) {
                            OnExternalCall(method, args);
                        },
                        [this](const std::string& url) { OnWebClientDocumentComplete(url); },
                        [this](bool reloading) { m_session.OnWebClientLost(reloading); },
                        [this](const std::string&) { m_session.OnWebClientForeignPage(); },
                        [this](const std::string& url) { OnWebClientLinkOut(url); },
                        [this] { m_ports.loop.Post(m_hWnd, UWM_HOST_CLOSED); }});
    m_logoutNotice.Create(m_ports.dialogs, m_ports.loop, m_hWnd);
    m_accountDlg.Create(m_ports.dialogs, m_ports.loop, m_ports.shell, m_hWnd);

    m_login.ShapeWindow();
    m_login.Window()->Center();
    m_session.Start(m_hWnd);
    m_session.LoadSignInPage();

    m_login.StartFields();
    // The check lets the loop run while it waits, so it starts from the
    // loop once the windows are made: running the loop from here, before
    // the pages' first loads went out, upset them.
    m_ports.loop.Post(m_hWnd, UWM_STARTUP_VERSION_CHECK);
    return true;
}

void CMainDlg::ShowWebClient() {
    IHtmlWindow* host = m_host.Window();
    if (!host) return;
    host->ShowNoActivate();
    host->SetForeground();
}

void CMainDlg::BringForward() {
    INativeDialog* notice = m_logoutNotice.Dialog();
    if (notice && notice->IsVisible()) {
        if (m_host.Window() && m_host.Window()->IsVisible()) m_host.Window()->SetForeground();
        notice->SetForeground();
        return;
    }
    if (m_session.State() == SignedOut) {
        m_login.ShowInFront();
        return;
    }
    ShowWebClient();
}

void CMainDlg::EndDialog() {
    m_ended = true;
    m_ports.loop.Quit();
}

void CMainDlg::OnDestroy() {
    if (!m_hWnd) return;
    // A credential check still running must neither report to this window
    // nor outlive the loop it reports through: stop it, release it should
    // it be waiting for its message to be handled, and join it.
    m_session.Stop();
    m_ports.loop.Unregister(m_hWnd);
    m_session.JoinChecks();
    m_versionCheck.reset();
    m_settings.Destroy();
    m_toasts.Destroy();
    m_host.Destroy();
    m_logoutNotice.Destroy();
    m_accountDlg.Destroy();
    m_hWnd = 0;
    m_ports.messageBox.SetOwner(nullptr);
    m_login.Destroy();
}
