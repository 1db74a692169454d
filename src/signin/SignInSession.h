#pragma once
// The user's session with the service: signed out, signing in or signed in;
// the credential check of a sign-in and its watchdog, the wait for the
// service's sign-in page, the keep-alive, sign-out and reset. Each
// transition leaves the timers and the windows as its new state wants them.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/CancellableWorker.h"
#include "platform/Ports.h"
#include "signin/SigninInfo.h"

enum SessionState { SignedOut = 0, SigningIn = 1, SignedIn = 2 };

// The blocking checks the session makes, replaceable in tests. The
// credential check ends early, failed, once `cancelled` is set.
using CredentialCheck = std::function<int(const StringList& cookies, const std::string& email,
                                          const std::string& password, std::string& userId,
                                          const std::atomic<bool>& cancelled)>;
using SitePing = std::function<bool(const std::string& address, std::string& error)>;

class SignInSession {
public:
    static constexpr unsigned kPingPeriodMs = 10000;
    static constexpr unsigned kWatchdogMs = 15000;
    // How long the service's sign-in page may take to say it is ready.
    static constexpr unsigned kSigninPageMs = 30000;
    // The login page's status for a sign-in page that cannot be used.
    static constexpr const char* kLoginErrorStatus = "3";

    // The windows a transition changes, and what the session asks of the
    // program around it.
    class Owner {
    public:
        virtual ~Owner() = default;
        // The login page: its status (no code shows the form), its fields.
        virtual void ShowLoginStatus(const std::optional<std::string>& code) = 0;
        virtual void ReadLoginFields(std::string& email, std::string& password) = 0;
        virtual bool FieldsShowHints(const std::string& email, const std::string& password) = 0;
        virtual void WriteLoginFields(const std::string& email, const std::string& password) = 0;
        // After a sign-out: the password goes, the address unless remembered.
        virtual void ClearLoginFields(bool keepEmail) = 0;
        virtual void ShowLoginWindow() = 0;
        virtual void HideLoginWindow() = 0;
        virtual IHtmlWindow* WebClient() = 0;
        // AppToScript into the web client.
        virtual void TellWebClient(int code, const std::string& data) = 0;
        virtual void RefreshTray() = 0;
        // A sign-in has started: what only a signed-in session uses (the
        // toasts) is made while the credentials are checked.
        virtual void PrepareSignedIn() = 0;
        // The version check a sign-in makes first: 1 when the program is
        // closing for an update; whether one runs now.
        virtual int CheckVersion() = 0;
        virtual bool CheckingVersion() const = 0;
        // The program is closing.
        virtual bool Closing() const = 0;
    };

    SignInSession(Ports& ports, Owner& owner);
    ~SignInSession();
    SignInSession(const SignInSession&) = delete;
    SignInSession& operator=(const SignInSession&) = delete;

    // Timers and results go to `target` (the controller's window), which
    // hands them back through OnTimer and OnCheckResult.
    void Start(WindowHandle target);
    // Stops the timers and tells the checks to end.
    void Stop();
    // Waits for the checks; after the target is unregistered, so that one
    // waiting for its message to be handled is released.
    void JoinChecks();

    SessionState State() const { return m_state; }
    // Puts the session in a state without a transition: for tests only.
    void SetStateForTest(SessionState state) { m_state = state; }
    const SigninInfo* Info() const { return m_signinInfo.get(); }
    // The address the user signed in with (also shown in the tray menu).
    const std::string& Email() const { return m_email; }
    std::string SessionCookies() const;

    // Transitions.
    void Signin();
    void SigninReady();
    void SigninOk(const std::string& value);
    // `attempt` is the number of the sign-in the result belongs to.
    void OnCheckResult(std::uintptr_t result, std::uint64_t attempt);
    void ResetSignIn(int status);
    void SignOut();
    // Signs out after a sign-in the service turned down or never confirmed.
    void AbandonSignIn();
    // Ends the session here: fields, web client, state, cookies.
    void EndSession();
    // Loads the service's sign-in page into the web-client window, once the
    // ended session's cookies are gone.
    void LoadSignInPage();
    // The start-up version check is over: a Login click meanwhile goes on.
    void OnStartupCheckDone();

    // What the web-client window reports.
    void OnWebClientLost(bool reloading);
    void OnWebClientForeignPage();

    void OnTimer(unsigned id);

    CredentialCheck m_credentialCheck;
    SitePing m_sitePing;

private:
    bool StartCredentialWorker();
    void SubmitSignInForm();
    void EndAttempt();
    void OnSigninWatchdog();
    void NavigateToSignInPage(bool retry);
    void OnSigninPageTimeout();
    void FailSignInPage();
    void OnKeepAlive();
    bool PingSite(const std::string& address);
    void UseNetwork();

    Ports& m_ports;
    Owner& m_owner;
    WindowHandle m_target = 0;
    SessionState m_state = SignedOut;
    std::unique_ptr<SigninInfo> m_signinInfo;
    StringList m_cookieList;
    std::string m_email;
    std::string m_password;

    // The number of the current sign-in attempt; results of others are dropped.
    std::uint64_t m_attempt = 0;
    // Credential checks still running; joined before the session goes.
    std::vector<std::unique_ptr<CancellableWorker>> m_credentialWorkers;
    // The user asked to sign in while the start-up check ran.
    bool m_signinAfterCheck = false;

    // Whether the service's sign-in page has said it is ready.
    enum class SigninPage { Loading, Retrying, Ready, Failed };
    SigninPage m_signinPage = SigninPage::Loading;
    // A click on Login found the sign-in page failed: it is loaded again,
    // and the sign-in goes on once it is ready.
    bool m_signinWhenReady = false;
    // The web views are still forgetting the ended session's cookies, and
    // the sign-in page is to be loaded once they have.
    bool m_endingBrowserSession = false;
    bool m_signinPageWanted = false;
    // Completions that arrive after the session has gone are dropped.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
