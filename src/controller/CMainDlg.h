#pragma once
// The controller window. On screen it is the small login window; behind it
// it owns every other window, the tray icon and the session timers, and it
// receives the program's own window messages.
#include <array>
#include <atomic>
#include <memory>
#include <string>

#include <functional>
#include <optional>
#include <vector>

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "desktop/CWebPage.h"
#include "net/VersionCheck.h"
#include "notify/CNotiHtmlDlg.h"
#include "notify/CPopupDlg.h"
#include "notify/CSystemTray.h"
#include "notify/ToastStack.h"
#include "platform/Ports.h"
#include "settings/CSettingFrm.h"
#include "signin/LoginErrorDlg.h"
#include "signin/SignInSession.h"
#include "webclient/CLoginDlg.h"

class CMainDlg : public IHtmlWindowEvents,
                 public IMessageTarget,
                 public ITrayEvents,
                 private SignInSession::Owner {
public:
    static constexpr int kWidth = 281;
    static constexpr int kHeight = 387;
    static constexpr int kCornerEllipse = 17;
    static constexpr int kPageId = 172;
    static constexpr const char* kTitle = "Murmel Alarm";

    explicit CMainDlg(Ports& ports);
    ~CMainDlg() override;
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    // Creates the window, runs the program until WM_CLOSE, then tears down.
    void DoModal();
    // Creates the window and every window it owns; the loop is not run.
    bool Create();
    bool OnInitDialog();
    void OnDestroy();

    void LoadPageTexts();
    void ShapeWindow();
    void BringForward();
    void ShowWebClient();
    void RefreshTrayIcon();
    void DismissLogoutNotice();
    // Writes the exchanged members into the login page, or reads them back.
    void WritePageData();
    void ReadPageData();

    // Page events and calls into the web client.
    void ScriptToApp(int code, const std::string& data);
    void CallAppToScript(int code, const std::string& data);
    void HandleServiceLogout();
    // Every completed document of the web-client window, frames included.
    void OnWebClientDocumentComplete(const std::string& url);
    // A link the web client wants opened outside it.
    void OnWebClientLinkOut(const std::string& url);

    // The login page's controls.
    void OnRememberEmailClick();
    void OnForgotClick();
    void OnSignupClick();

    SignInSession& Session() { return m_session; }

    // New messages.
    void ShowNotification(const std::string& data, int mode) { m_toasts.Show(data, mode); }
    // 1 when the program is closing for an update.
    int CheckVersion() override;

    WindowHandle Handle() const { return m_hWnd; }
    IHtmlWindow* Window() const { return m_window.get(); }

    // IMessageTarget
    std::intptr_t OnMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(unsigned id) override;
    // IHtmlWindowEvents
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    void OnExternalCall(const std::string& method, const StringList& args) override;
    void OnElementEvent(const std::string& id, ElementEvent event) override;
    void OnPageLost(bool reloading) override;
    // ITrayEvents
    void OnTrayClick(TrayClick click, Point at) override;
    std::vector<TrayMenuItem> OnMenuRequest() override;
    void OnMenuCommand(unsigned commandId) override;

    // Page texts of the login page, in the order of its elements.
    std::string m_strTitle, m_strLoading, m_strSignin, m_strInvalidEmail, m_strInvalidPassword,
        m_strRemember, m_strForgot, m_strSignupQuestion, m_strSignup;
    std::string m_strAlarm;
    std::string m_strLoginError;
    std::string m_strEmailHint;
    std::string m_strPasswordHint;

    CSystemTray m_tray;
    CSettingFrm m_settings;
    ToastStack m_toasts;
    CLoginDlg m_host;
    CPopupDlg m_logoutNotice;
    LoginErrorDlg m_accountDlg;

    int m_nRemember = 0;
    std::string m_strEmail;
    std::string m_strPassword;
    CWebPage m_page;
    bool m_pageLoaded = false;
    bool m_confirmingSignOut = false;

private:
    void ShowController();
    void EndDialog();
    void ShowLoginStatus(const std::optional<std::string>& code = std::nullopt) override;
    std::vector<TrayMenuItem> TrayMenu() const;
    void OnSignInOrOut();

    // SignInSession::Owner
    void ReadLoginFields(std::string& email, std::string& password) override;
    bool FieldsShowHints(const std::string& email, const std::string& password) override;
    void WriteLoginFields(const std::string& email, const std::string& password) override;
    void ClearLoginFields(bool keepEmail) override;
    void ShowLoginWindow() override { ShowController(); }
    void HideLoginWindow() override;
    IHtmlWindow* WebClient() override { return m_host.Window(); }
    void TellWebClient(int code, const std::string& data) override { CallAppToScript(code, data); }
    void RefreshTray() override { RefreshTrayIcon(); }
    bool CheckingVersion() const override { return m_checkingVersion; }
    bool Closing() const override { return m_ended; }

    std::unique_ptr<CVersionCheck> m_versionCheck;
    bool m_checkingVersion = false;
    Ports& m_ports;
    std::unique_ptr<IHtmlWindow> m_window;
    WindowHandle m_hWnd = 0;
    bool m_ended = false;
    SignInSession m_session{m_ports, *this};
};
