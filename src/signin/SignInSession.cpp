#include "signin/SignInSession.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "net/CookieStore.h"
#include "net/PingSite.h"
#include "platform/Messages.h"
#include "signin/CredentialCheck.h"
#include "webclient/CLoginDlg.h"

namespace {
constexpr const char* kTitle = "Murmel Alarm";
constexpr const char* kServerError = "Sever error.\nPlease try again later.";

StringList SplitAll(const std::string& text, char sep) {
    StringList parts;
    size_t start = 0;
    for (;;) {
        size_t pos = text.find(sep, start);
        parts.push_back(
            text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) return parts;
        start = pos + 1;
    }
}

// The credential check's answer as the session acts on it.
std::uintptr_t CheckResultCode(int result) {
    switch (result) {
        case 1000:
            return 0;
        case 400:
            return 1;
        case 430:
            return 4;
        case 460:
            return 5;
        default:
            return 2;
    }
}
}  // namespace

SignInSession::SignInSession(Ports& ports, Owner& owner) : m_ports(ports), m_owner(owner) {
    UseNetwork();
}

SignInSession::~SignInSession() {
    Stop();
    JoinChecks();
}

void SignInSession::JoinChecks() {
    m_credentialWorkers.clear();
    m_signinInfo.reset();
}

void SignInSession::UseNetwork() {
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

void SignInSession::Start(WindowHandle target) {
    m_target = target;
    m_ports.loop.SetTimer(m_target, TIMER_PING, kPingPeriodMs);
}

void SignInSession::Stop() {
    if (m_target) {
        m_ports.loop.KillTimer(m_target, TIMER_PING);
        m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_PAGE);
        m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_WATCHDOG);
    }
    // A check still running must neither report nor outlive the loop it
    // reports through: stopped here, joined by JoinChecks.
    for (auto& worker : m_credentialWorkers) worker->Cancel();
}

std::string SignInSession::SessionCookies() const {
    return m_state == SignedIn && m_signinInfo ? m_signinInfo->cookies : std::string();
}

void SignInSession::OnTimer(unsigned id) {
    if (id == TIMER_PING)
        OnKeepAlive();
    else if (id == TIMER_SIGNIN_WATCHDOG)
        OnSigninWatchdog();
    else if (id == TIMER_SIGNIN_PAGE)
        OnSigninPageTimeout();
}

// -- the service's sign-in page ---------------------------------------------

void SignInSession::SigninReady() {
    m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_PAGE);
    m_signinPage = SigninPage::Ready;
    m_owner.ShowLoginStatus("0");
    if (m_signinWhenReady) {
        m_signinWhenReady = false;
        Signin();
    }
}

void SignInSession::LoadSignInPage() {
    if (m_endingBrowserSession) {
        m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_PAGE);
        m_signinPage = SigninPage::Loading;
        m_signinPageWanted = true;
        return;
    }
    NavigateToSignInPage(false);
}

void SignInSession::NavigateToSignInPage(bool retry) {
    IHtmlWindow* host = m_owner.WebClient();
    if (!host) return;
    host->Navigate(AppSettings.webClientBaseUrl + kSignInPath, "whoami:murmel_notifier");
    m_signinPage = retry ? SigninPage::Retrying : SigninPage::Loading;
    m_ports.loop.SetTimer(m_target, TIMER_SIGNIN_PAGE, kSigninPageMs);
}

// A sign-in page that never says it is ready would leave the login window
// loading for ever: it is loaded once more, then the user is told.
void SignInSession::OnSigninPageTimeout() {
    m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_PAGE);
    // A sign-in under way has its own watchdog; signed in, the page has
    // moved on to the web client.
    if (m_state != SignedOut) return;
    if (m_signinPage == SigninPage::Loading)
        NavigateToSignInPage(true);
    else if (m_signinPage == SigninPage::Retrying)
        FailSignInPage();
}

void SignInSession::FailSignInPage() {
    m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_PAGE);
    m_signinPage = SigninPage::Failed;
    m_signinWhenReady = false;
    m_owner.ShowLoginStatus(kLoginErrorStatus);
}

void SignInSession::OnWebClientForeignPage() {
    // The page cannot reach the program, so it will never say it is ready.
    if (m_state != SignedOut) return;
    if (m_signinPage == SigninPage::Loading || m_signinPage == SigninPage::Retrying)
        FailSignInPage();
}

void SignInSession::OnWebClientLost(bool reloading) {
    if (!reloading) {
        // Its process keeps dying: the web client cannot be used, and a
        // sign-in cannot be made until the user tries again.
        if (m_state != SignedOut) SignOut();
        m_owner.ShowLoginStatus(kLoginErrorStatus);
        return;
    }
    // Signed in, the window reloads the web client; the site's own sign-in
    // page follows if the session is gone.
    if (m_state == SignedIn) return;
    LoadSignInPage();
    // The form waits for the sign-in page to say again that it is ready.
    if (m_state == SignedOut) m_owner.ShowLoginStatus("1");
}

// -- signing in ---------------------------------------------------------------

void SignInSession::Signin() {
    // Login on a failed sign-in page loads it again; the sign-in itself
    // follows when it is ready. Clicks until then are one request.
    if (m_signinWhenReady) return;
    if (m_signinPage == SigninPage::Failed) {
        m_signinWhenReady = true;
        m_owner.ShowLoginStatus("1");
        NavigateToSignInPage(false);
        return;
    }
    std::string email, password;
    m_owner.ReadLoginFields(email, password);
    email = TrimCredential(email);
    if (email.empty()) return;
    password = TrimCredential(password);
    if (password.empty()) return;
    if (m_owner.FieldsShowHints(email, password)) return;
    if (m_state == SigningIn) return;
    m_email = email;
    m_password = password;
    // The version check lets the UI run on; a second click meanwhile must
    // not start a second sign-in, nor one go on once the program is closing.
    // A click during the start-up check is kept for when it is over: the
    // form is on screen by then, and the click must not be lost.
    if (m_owner.CheckingVersion()) {
        m_signinAfterCheck = true;
        return;
    }
    m_signinAfterCheck = false;
    const int closing = m_owner.CheckVersion();
    // Clicks during this sign-in's own check belong to this sign-in.
    m_signinAfterCheck = false;
    if (closing == 1 || m_owner.Closing()) return;
    EndAttempt();
    m_state = SigningIn;
    m_owner.ShowLoginStatus("1");
    m_owner.PrepareSignedIn();
    if (!StartCredentialWorker()) ResetSignIn(0);
}

void SignInSession::OnStartupCheckDone() {
    if (!m_signinAfterCheck || m_owner.Closing()) return;
    m_signinAfterCheck = false;
    Signin();
}

bool SignInSession::StartCredentialWorker() {
    std::erase_if(m_credentialWorkers, [](const auto& worker) { return worker->Finished(); });
    // The worker gets its own copies: the UI thread goes on changing the
    // members while the check runs.
    struct Job {
        IEventLoop* loop;
        WindowHandle target;
        StringList cookies;
        std::string email;
        std::string password;
        CredentialCheck check;
        std::uint64_t attempt;
    };
    Job job{&m_ports.loop, m_target,          m_cookieList, m_email,
            m_password,    m_credentialCheck, m_attempt};
    try {
        m_credentialWorkers.push_back(std::make_unique<CancellableWorker>(
            [job = std::move(job)](const std::atomic<bool>& cancelled) {
                std::string userId;
                const int result =
                    job.check(job.cookies, job.email, job.password, userId, cancelled);
                if (cancelled) return;
                job.loop->Send(job.target, UWM_SIGNIN_RESULT, CheckResultCode(result),
                               static_cast<std::intptr_t>(job.attempt));
            }));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void SignInSession::OnCheckResult(std::uintptr_t result, std::uint64_t attempt) {
    // The attempt this check belonged to was ended meanwhile (sign-out,
    // reset): what it found must not act on the form or a newer attempt.
    if (attempt != m_attempt || m_state != SigningIn) return;
    switch (result) {
        case 0:
            SubmitSignInForm();
            break;
        case 1:
            ResetSignIn(2);
            break;
        case 4:
            ResetSignIn(4);
            break;
        case 5:
            ResetSignIn(5);
            break;
        case 2:
            // The check itself failed (no answer, or an answer we do not
            // know): give the form back instead of leaving the user waiting.
            ResetSignIn(0);
            m_ports.messageBox.Show(LoadText(199), kTitle, MessageBoxButtons::Ok,
                                    MessageBoxIcon::None);
            break;
        default:
            break;
    }
}

void SignInSession::SubmitSignInForm() {
    IHtmlWindow* host = m_owner.WebClient();
    if (!host || !host->HasDocument()) return ResetSignIn(0);
    const StringList names{"svcIptLgnID", "svcIptLgnPD"};
    const StringList values{m_email, m_password};
    host->FillForm(names, values, "signin_submit", [this, attempt = m_attempt](bool submitted) {
        if (attempt != m_attempt) return;
        if (submitted)
            m_ports.loop.SetTimer(m_target, TIMER_SIGNIN_WATCHDOG, kWatchdogMs);
        else
            ResetSignIn(0);
    });
}

void SignInSession::EndAttempt() {
    // Whatever the old attempt still has running (its check, its answer
    // waiting to be handled, its watchdog) is told apart by the number.
    ++m_attempt;
    m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_WATCHDOG);
    for (auto& worker : m_credentialWorkers) worker->Cancel();
}

void SignInSession::ResetSignIn(int status) {
    EndAttempt();
    LoadSignInPage();
    m_owner.ShowLoginStatus(std::to_string(status));
    m_owner.WriteLoginFields(m_email, m_password);
    m_state = SignedOut;
    m_owner.RefreshTray();
}

void SignInSession::SigninOk(const std::string& value) {
    const StringList parts = SplitAll(value, ',');
    if (parts.size() != 3 || parts[0] != "SUCCESS") {
        m_ports.messageBox.Show(kServerError, kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
        ResetSignIn(0);
        return;
    }
    EndAttempt();
    m_state = SignedIn;
    m_owner.RefreshTray();
    if (!m_signinInfo) m_signinInfo = std::make_unique<SigninInfo>();
    m_signinInfo->token = parts[1];
    if (IHtmlWindow* host = m_owner.WebClient()) {
        m_ports.browser.GetCookies(host->CurrentUrl(), [this](const std::string& cookies) {
            if (!cookies.empty() && m_signinInfo) m_signinInfo->cookies = cookies;
        });
    }
    if (AppSettings.rememberEmail) WriteSetting("ETC", "email", m_email);
    m_owner.HideLoginWindow();
    m_owner.TellWebClient(102, m_signinInfo->token);
    // The window may still be disabled by a logout notice that was closed
    // without OK; the new session's web client must take input.
    if (IHtmlWindow* host = m_owner.WebClient()) {
        host->Enable(true);
        host->Show();
    }
}

void SignInSession::OnSigninWatchdog() {
    m_ports.loop.KillTimer(m_target, TIMER_SIGNIN_WATCHDOG);
    if (m_state != SigningIn) return;
    AbandonSignIn();
    m_ports.messageBox.Show(LoadText(204), kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
}

// -- signing out --------------------------------------------------------------

void SignInSession::EndSession() {
    EndAttempt();
    m_password.clear();
    m_owner.ClearLoginFields(AppSettings.rememberEmail);
    if (m_signinInfo && !m_signinInfo->token.empty())
        m_owner.TellWebClient(103, m_signinInfo->token);
    m_state = SignedOut;
    m_owner.RefreshTray();
    if (m_signinInfo) m_signinInfo->Clear();
    // Both the program's own requests and the web views start afresh. The
    // web views forget their cookies asynchronously: the sign-in page is
    // loaded only once they have, or it would go out with the old session.
    ClearCookieStore();
    m_endingBrowserSession = true;
    std::weak_ptr<bool> alive = m_alive;
    m_ports.browser.EndSession([this, alive] {
        if (alive.expired()) return;
        m_endingBrowserSession = false;
        if (!m_signinPageWanted) return;
        m_signinPageWanted = false;
        NavigateToSignInPage(false);
    });
}

void SignInSession::SignOut() {
    EndSession();
    if (IHtmlWindow* host = m_owner.WebClient()) {
        host->Hide();
        if (host->CurrentUrl().find(kSignInPath) == std::string::npos) LoadSignInPage();
    }
    m_owner.ShowLoginStatus(std::nullopt);
    m_owner.ShowLoginWindow();
}

void SignInSession::AbandonSignIn() {
    // The session the service may have begun is ended before the sign-in
    // page is loaded again, so that the load carries none of its cookies.
    SignOut();
    LoadSignInPage();
}

// -- the keep-alive -----------------------------------------------------------

void SignInSession::OnKeepAlive() {
    // Requests never overlap: the next one is scheduled only once this one
    // and any box about it are done.
    m_ports.loop.KillTimer(m_target, TIMER_PING);
    const bool alive = PingSite(AppSettings.webClientBaseUrl + "/ping");
    if (m_owner.Closing()) return;
    if (!alive && m_state != SignedOut) SignOut();
    if (m_target) m_ports.loop.SetTimer(m_target, TIMER_PING, kPingPeriodMs);
}

bool SignInSession::PingSite(const std::string& address) {
    std::string error;
    bool alive = false;
    // The UI keeps running while the site is asked (the request is bounded
    // too); the program may be closed meanwhile.
    m_ports.loop.Await([&] { alive = m_sitePing(address, error); });
    // Signed out there is nothing the user could lose: nothing is shown.
    if (alive || m_owner.Closing() || m_state == SignedOut) return alive;
    m_ports.messageBox.Show(error, kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
    return false;
}
