// What the session state selects: the tray image, the tray menu, the window
// that comes forward; and the controller's own window messages.
#include <utility>

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "platform/Messages.h"

namespace {
constexpr const char* kSignOutQuestion = "로그아웃 하시겠습니까?";
// Long enough for a burst of messages and the toasts it shows to be over.
constexpr unsigned kQuietBeforeReleaseMs = 10000;
}  // namespace

void CMainDlg::RefreshTrayIcon() {
    m_tray.RemoveFromTray();
    m_tray.Install(this, "Murmel " + m_login.AlarmText(),
                   m_session.State() == SignedIn ? ICON_SIGNED_IN : ICON_SIGNED_OUT);
    m_tray.RevealIcon();
    m_ports.tray.SetMenu(TrayMenu());
}

std::vector<TrayMenuItem> CMainDlg::TrayMenu() const {
    if (m_session.State() != SignedIn) return LoadMenu(MENU_SIGNED_OUT);
    std::vector<TrayMenuItem> items = LoadMenu(MENU_SIGNED_IN);
    for (TrayMenuItem& item : items)
        if (item.commandId == ID_EMAIL) item.text = m_login.Email();
    return items;
}

void CMainDlg::OnTrayClick(TrayClick click, Point at) {
    if (HeldForWindows([this, click, at] { OnTrayClick(click, at); })) return;
    if (click == TrayClick::LeftUp) {
        RefreshTrayIcon();
        BringForward();
    } else if (click == TrayClick::RightUp) {
        RefreshTrayIcon();
        std::vector<TrayMenuItem> items = TrayMenu();
        if (items.empty()) return;
        m_login.Window()->SetForeground();
        m_ports.tray.PopupMenu(items, at);
    }
}

std::vector<TrayMenuItem> CMainDlg::OnMenuRequest() {
    // Hosts that draw the menu themselves ask for it at the right click.
    RefreshTrayIcon();
    return TrayMenu();
}

void CMainDlg::OnMenuCommand(unsigned commandId) {
    // Quitting needs no window; the rest waits for them.
    const bool quit = commandId == ID_QUIT || commandId == ID_QUIT_SIGNED_OUT;
    if (!quit && HeldForWindows([this, commandId] { OnMenuCommand(commandId); })) return;
    switch (commandId) {
        case ID_QUIT:
        case ID_QUIT_SIGNED_OUT:
            if (const SigninInfo* info = m_session.Info(); info && !info->token.empty())
                CallAppToScript(103, info->token);
            m_ports.loop.Send(m_hWnd, WM_CLOSE);
            break;
        case ID_OPEN:
            if (m_session.State() == SignedOut) {
                m_login.ShowInFront();
            } else {
                ShowWebClient();
            }
            break;
        case ID_SIGNIN:
        case ID_SIGNOUT:
            OnSignInOrOut();
            break;
        case ID_SETTINGS:
        case ID_SETTINGS_SIGNED_OUT:
            // Made at its first opening: most starts never open it.
            if (!m_settings.Window()) m_settings.Create(m_ports, m_hWnd);
            m_settings.Open();
            break;
        default:
            break;
    }
}

void CMainDlg::OnSignInOrOut() {
    m_login.ClearMessages();
    if (m_session.State() == SignedOut) {
        INativeDialog* notice = m_logoutNotice.Dialog();
        if (notice && notice->IsVisible()) DismissLogoutNotice();
        m_login.Show();
        return;
    }
    if (m_confirmingSignOut) return;
    m_confirmingSignOut = true;
    const MessageBoxAnswer answer = m_ports.messageBox.Show(
        kSignOutQuestion, kTitle, MessageBoxButtons::YesNo, MessageBoxIcon::None);
    m_confirmingSignOut = false;
    const std::optional<CheckResult> held = std::exchange(m_heldCheckResult, std::nullopt);
    if (answer == MessageBoxAnswer::Yes) {
        m_session.SignOut();
    } else if (held) {
        m_session.OnCheckResult(held->result, held->attempt);
    }
}

void CMainDlg::DismissLogoutNotice() {
    if (INativeDialog* notice = m_logoutNotice.Dialog()) notice->Hide();
    IHtmlWindow* host = m_host.Window();
    if (!host) return;
    if (host->IsVisible()) {
        host->Enable(true);
        host->Hide();
    }
    if (host->CurrentUrl().find(kSignInPath) == std::string::npos) m_session.LoadSignInPage();
}

void CMainDlg::ShowNotification(const std::string& data, int mode) {
    m_toasts.Show(data, mode);
    ReleaseMemoryWhenQuiet();
}

void CMainDlg::ReleaseMemoryWhenQuiet() {
    if (m_hWnd) m_ports.loop.SetTimer(m_hWnd, TIMER_RELEASE_MEMORY, kQuietBeforeReleaseMs);
}

void CMainDlg::OnTimer(unsigned id) {
    if (id == TIMER_RELEASE_MEMORY) {
        m_ports.loop.KillTimer(m_hWnd, TIMER_RELEASE_MEMORY);
        m_ports.memory.ReleaseFreeMemory();
        return;
    }
    m_session.OnTimer(id);
}

std::intptr_t CMainDlg::OnMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (msg) {
        case WM_CLOSE:
            EndDialog();
            break;
        case UWM_TOAST_OPEN:
            CallAppToScript(307, m_toasts.LastSessionId());
            if (IHtmlWindow* host = m_host.Window()) {
                host->Show();
                host->SetForeground();
            }
            break;
        case UWM_TOAST_CLOSED:
            RefreshTrayIcon();
            break;
        case UWM_SIGNIN_RESULT:
            if (m_confirmingSignOut) {
                m_heldCheckResult = CheckResult{wParam, static_cast<std::uint64_t>(lParam)};
            } else {
                m_session.OnCheckResult(wParam, static_cast<std::uint64_t>(lParam));
            }
            break;
        case UWM_STARTUP_VERSION_CHECK:
            CheckVersion();
            // A Login click while the start-up check ran was kept for now.
            m_session.OnStartupCheckDone();
            break;
        case UWM_SHOW_HOST:
            if (IHtmlWindow* host = m_host.Window()) wParam == 1 ? host->Show() : host->Hide();
            break;
        case UWM_HOST_CLOSED:
            CallAppToScript(308, "");
            break;
        case UWM_NOTICE_DONE:
            // A sign-in may have followed the notice's closing already.
            if (m_session.State() != SignedOut) break;
            DismissLogoutNotice();
            if (wParam == 1) m_login.Show();
            break;
        case UWM_ACTIVATE:
            if (HeldForWindows([this] { BringForward(); })) break;
            BringForward();
            break;
        case UWM_MAKE_WINDOWS:
            // Without its engine the program cannot go on.
            if (!MakeWindowsStep()) {
                EndDialog();
            } else if (!m_windowsMade) {
                m_ports.loop.Post(m_hWnd, UWM_MAKE_WINDOWS);
            }
            break;
        default:
            break;
    }
    return 0;
}
