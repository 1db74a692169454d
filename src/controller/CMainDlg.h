#pragma once
// The coordinator. On screen it is the small login window; behind it it
// creates and owns every other window, the tray icon and the sign-in
// session, receives the program's own window messages and carries out the
// tray commands.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/CWebPage.h"
#include "login/LoginWindow.h"
#include "net/VersionCheck.h"
#include "notify/CPopupDlg.h"
#include "notify/CSystemTray.h"
#include "notify/ToastStack.h"
#include "platform/Ports.h"
#include "settings/CSettingFrm.h"
#include "signin/LoginErrorDlg.h"
#include "signin/SignInSession.h"
#include "webclient/CLoginDlg.h"

class CMainDlg : public IMessageTarget, public ITrayEvents, private SignInSession::Owner {
public:
    static constexpr int kWidth = LoginWindow::kWidth;
    static constexpr int kHeight = LoginWindow::kHeight;
    static constexpr int kPageId = LoginWindow::kPageId;
    static constexpr const char* kTitle = "Murmel Alarm";

    explicit CMainDlg(Ports& ports);
    ~CMainDlg() override;
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    // Puts up the tray item, makes the windows from the running loop, runs
    // the program until WM_CLOSE, then tears down.
    void DoModal();
    // Puts up the tray item and makes the windows (the settings window and
    // the toasts come on first need); the loop is not run.
    bool Create();
    // DoModal's start: puts up the tray item and posts the making of the
    // windows.
    void Start();
    void OnDestroy();

    // Page events of the web client, and calls into it.
    void ScriptToApp(int code, const std::string& data);
    void CallAppToScript(int code, const std::string& data);
    // A new message.
    void ShowNotification(const std::string& data, int mode);

    WindowHandle Handle() const { return m_hWnd; }
    SignInSession& Session() { return m_session; }
    LoginWindow& Login() { return m_login; }
    // The toasts, made if they were not yet.
    ToastStack& Toasts() {
        m_toasts.Make();
        return m_toasts;
    }
    CLoginDlg& WebClientWindow() { return m_host; }
    CSystemTray& Tray() { return m_tray; }

    // IMessageTarget
    std::intptr_t OnMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(unsigned id) override;
    // ITrayEvents
    void OnTrayClick(TrayClick click, Point at) override;
    std::vector<TrayMenuItem> OnMenuRequest() override;
    void OnMenuCommand(unsigned commandId) override;

private:
    void PutUpTrayItem();
    // The engine, the login window, then the rest; false when the program
    // cannot go on.
    bool MakeWindowsStep();
    bool OnInitDialog();
    // Keeps `call` for when the windows are made, if they are not yet:
    // tray clicks and commands can come before.
    bool HeldForWindows(std::function<void()> call);
    void EndDialog();
    void BringForward();
    void ShowWebClient();
    void RefreshTrayIcon();
    // Hands the memory freed by a burst of work back to the system once the
    // program has been quiet a while; every call starts the wait again.
    void ReleaseMemoryWhenQuiet();
    void DismissLogoutNotice();
    std::vector<TrayMenuItem> TrayMenu() const;
    void OnSignInOrOut();
    void OnExternalCall(const std::string& method, const StringList& args);
    void HandleServiceLogout();
    // Every completed document of the web-client window, frames included.
    void OnWebClientDocumentComplete(const std::string& url);
    // A link the web client wants opened outside it.
    void OnWebClientLinkOut(const std::string& url);

    // SignInSession::Owner
    void ShowLoginStatus(const std::optional<std::string>& code) override {
        m_login.ShowStatus(code);
    }
    void ReadLoginFields(std::string& email, std::string& password) override {
        m_login.ReadFields(email, password);
    }
    bool FieldsShowHints(const std::string& email, const std::string& password) override {
        return m_login.FieldsShowHints(email, password);
    }
    void WriteLoginFields(const std::string& email, const std::string& password) override {
        m_login.WriteFields(email, password);
    }
    void ClearLoginFields(bool keepEmail) override { m_login.ClearFields(keepEmail); }
    void ShowLoginWindow() override { m_login.Show(); }
    // Hidden once signed in: the sign-in's garbage is handed back later.
    void HideLoginWindow() override {
        m_login.Hide();
        ReleaseMemoryWhenQuiet();
    }
    IHtmlWindow* WebClient() override { return m_host.Window(); }
    void TellWebClient(int code, const std::string& data) override { CallAppToScript(code, data); }
    void RefreshTray() override { RefreshTrayIcon(); }
    void PrepareSignedIn() override { m_toasts.Make(); }
    // 1 when the program is closing for an update.
    int CheckVersion() override;
    bool CheckingVersion() const override { return m_checkingVersion; }
    bool Closing() const override { return m_ended; }

    Ports& m_ports;
    LoginWindow m_login;
    CSystemTray m_tray;
    CSettingFrm m_settings;
    ToastStack m_toasts;
    CLoginDlg m_host;
    CPopupDlg m_logoutNotice;
    LoginErrorDlg m_accountDlg;
    // Calls into the web client's pages.
    CWebPage m_page;
    bool m_confirmingSignOut = false;
    // A check's answer that came while the user was asked whether to sign
    // out: it waits for the answer, and a Yes drops it.
    struct CheckResult {
        std::uintptr_t result;
        std::uint64_t attempt;
    };
    std::optional<CheckResult> m_heldCheckResult;
    std::unique_ptr<CVersionCheck> m_versionCheck;
    bool m_checkingVersion = false;
    WindowHandle m_hWnd = 0;
    bool m_ended = false;
    int m_windowsStep = 0;
    bool m_windowsMade = false;
    std::vector<std::function<void()>> m_heldForWindows;
    SignInSession m_session{m_ports, *this};
};
