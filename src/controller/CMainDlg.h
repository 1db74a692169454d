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
#include "controller/CancellableWorker.h"
#include "desktop/CWebPage.h"
#include "net/VersionCheck.h"
#include "notify/CNotiHtmlDlg.h"
#include "notify/CPopupDlg.h"
#include "notify/CSystemTray.h"
#include "platform/Ports.h"
#include "settings/CSettingFrm.h"
#include "signin/CLoginDlg.h"
#include "signin/LoginErrorDlg.h"
#include "signin/SigninInfo.h"

// The blocking checks the controller makes, replaceable in tests. The
// credential check ends early, failed, once `cancelled` is set.
using CredentialCheck = std::function<int(const StringList& cookies, const std::string& email,
                                          const std::string& password, std::string& userId,
                                          const std::atomic<bool>& cancelled)>;
using SitePing = std::function<bool(const std::string& address, std::string& error)>;

class CMainDlg : public IHtmlWindowEvents, public IMessageTarget, public ITrayEvents {
public:
    static constexpr int kWidth = 281;
    static constexpr int kHeight = 387;
    static constexpr int kCornerEllipse = 17;
    static constexpr int kPageId = 172;
    static constexpr int kToastCount = 5;
    static constexpr const char* kTitle = "Murmel Alarm";
    static constexpr unsigned kPingPeriodMs = 10000;
    // How long the service's sign-in page may take to say it is ready.
    static constexpr unsigned kSigninPageMs = 30000;
    // The login page's status for a sign-in page that cannot be used.
    static constexpr const char* kLoginErrorStatus = "3";

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
    void NavigateHostToSignIn();
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
    // The web-client window's process ended; `reloading` as OnPageLost.
    void OnWebClientLost(bool reloading);
    // A top-level page of another site finished loading in that window.
    void OnWebClientForeignPage(const std::string& url);
    // A link the web client wants opened outside it.
    void OnWebClientLinkOut(const std::string& url);

    // The login page's controls.
    void OnRememberEmailClick();
    void OnForgotClick();
    void OnSignupClick();

    // Signing in and out.
    void Signin();
    void SigninReady(const std::string& value);
    void SigninOk(const std::string& value);
    void SubmitSignInForm();
    void ResetSignIn(int status);
    void SignOut();
    // `attempt` is the number of the sign-in the result belongs to.
    void OnSigninResult(std::uintptr_t result, std::uint64_t attempt);
    // Signs out after a sign-in the service turned down or never confirmed.
    void AbandonSignIn();

    // New messages.
    void ShowNotification(const std::string& data, int mode);
    // 1 when the program is closing for an update.
    int CheckVersion();

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
    std::array<CNotiHtmlDlg, kToastCount> m_toasts;
    CLoginDlg m_host;
    CPopupDlg m_logoutNotice;
    LoginErrorDlg m_accountDlg;

    std::unique_ptr<SigninInfo> m_signinInfo;
    StringList m_cookieList;
    int m_nRemember = 0;
    std::string m_strEmail;
    std::string m_strPassword;
    CWebPage m_page;
    bool m_pageLoaded = false;
    std::string m_lastSessionId;
    bool m_confirmingSignOut = false;

    // Whether the service's sign-in page has said it is ready.
    enum class SigninPage { Loading, Retrying, Ready, Failed };
    SigninPage m_signinPage = SigninPage::Loading;
    // A click on Login found the sign-in page failed: it is loaded again,
    // and the sign-in goes on once it is ready.
    bool m_signinWhenReady = false;

    CredentialCheck m_credentialCheck;
    SitePing m_sitePing;

private:
    void ShowController();
    void EndDialog();
    // Tells the login page its state; no code shows the form.
    void ShowLoginStatus(const std::optional<std::string>& code = std::nullopt);
    bool StartCredentialWorker();
    // A sign-in attempt starts or ends: its watchdog and check stop.
    void BeginAttempt();
    void EndAttempt();
    void OnSigninWatchdog();
    void LoadSignInPage(bool retry);
    void OnSigninPageTimeout();
    void FailSignInPage();
    void OnKeepAlive();
    bool PingSite(const std::string& address);
    std::vector<TrayMenuItem> TrayMenu() const;
    void OnSignInOrOut();
    // Ends the session locally: fields, web client, state, cookies.
    void EndSession();
    void EndHttpSession();
    // The real credential check and keep-alive request.
    void UseNetwork();

    std::unique_ptr<CVersionCheck> m_versionCheck;
    bool m_checkingVersion = false;
    // The user asked to sign in while the start-up check ran.
    bool m_signinAfterCheck = false;
    // Credential checks still running; joined before the controller goes.
    std::vector<std::unique_ptr<CancellableWorker>> m_credentialWorkers;
    // The number of the current sign-in attempt; results of others are dropped.
    std::uint64_t m_attempt = 0;
    // The web views are still forgetting the ended session's cookies, and
    // the sign-in page is to be loaded once they have.
    bool m_endingBrowserSession = false;
    bool m_signinPageWanted = false;
    // Completions that arrive after the controller has gone are dropped.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);

    Ports& m_ports;
    std::unique_ptr<IHtmlWindow> m_window;
    WindowHandle m_hWnd = 0;
    bool m_ended = false;
};
