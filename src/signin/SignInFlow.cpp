// Signing in: the credential check on a worker thread, then the service's
// own sign-in form filled and submitted in the web-client window, and the
// service's confirmation. Also the user's sign-out.
#include <cwctype>

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "controller/SessionState.h"
#include "platform/Messages.h"

namespace {
constexpr unsigned kWatchdogMs = 15000;
constexpr const char* kServerError = "Sever error.\nPlease try again later.";

// Trims white space at both ends, as the C library classifies it, on the
// decoded characters so that multibyte text is never cut.
std::string Trim(const std::string& text) {
    auto isSpace = [](unsigned char c) { return c < 0x80 && std::iswspace(c); };
    size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

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
}  // namespace

void CMainDlg::ShowLoginStatus(const std::optional<std::string>& code) {
    // The state is kept for the page: one still loading, or loaded again,
    // gets it when it has loaded instead of staying in its loading state.
    m_page.CallState(m_window.get(), "showLoginStatus", code ? StringList{*code} : StringList{});
}

void CMainDlg::ReadPageData() {
    m_strEmail = m_window->GetData("input_email");
    m_strPassword = m_window->GetData("input_password");
    m_nRemember = m_window->GetData("checkbox_email") == "1" ? 1 : 0;
}

void CMainDlg::SigninReady(const std::string&) {
    m_ports.loop.KillTimer(m_hWnd, TIMER_SIGNIN_PAGE);
    m_signinPage = SigninPage::Ready;
    ShowLoginStatus("0");
    if (m_signinWhenReady) {
        m_signinWhenReady = false;
        Signin();
    }
}

void CMainDlg::LoadSignInPage(bool retry) {
    IHtmlWindow* host = m_host.Window();
    if (!host) return;
    host->Navigate(AppSettings.webClientBaseUrl + kSignInPath, "whoami:murmel_notifier");
    m_signinPage = retry ? SigninPage::Retrying : SigninPage::Loading;
    m_ports.loop.SetTimer(m_hWnd, TIMER_SIGNIN_PAGE, kSigninPageMs);
}

// A sign-in page that never says it is ready would leave the login window
// loading for ever: it is loaded once more, then the user is told.
void CMainDlg::OnSigninPageTimeout() {
    m_ports.loop.KillTimer(m_hWnd, TIMER_SIGNIN_PAGE);
    // A sign-in under way has its own watchdog; signed in, the page has
    // moved on to the web client.
    if (g_sessionState != SignedOut) return;
    if (m_signinPage == SigninPage::Loading)
        LoadSignInPage(true);
    else if (m_signinPage == SigninPage::Retrying)
        FailSignInPage();
}

void CMainDlg::FailSignInPage() {
    m_ports.loop.KillTimer(m_hWnd, TIMER_SIGNIN_PAGE);
    m_signinPage = SigninPage::Failed;
    m_signinWhenReady = false;
    ShowLoginStatus(kLoginErrorStatus);
}

void CMainDlg::OnWebClientForeignPage(const std::string&) {
    // The page cannot reach the program, so it will never say it is ready.
    if (g_sessionState != SignedOut) return;
    if (m_signinPage == SigninPage::Loading || m_signinPage == SigninPage::Retrying)
        FailSignInPage();
}

void CMainDlg::Signin() {
    // Login on a failed sign-in page loads it again; the sign-in itself
    // follows when it is ready. Clicks until then are one request.
    if (m_signinWhenReady) return;
    if (m_signinPage == SigninPage::Failed) {
        m_signinWhenReady = true;
        ShowLoginStatus("1");
        LoadSignInPage(false);
        return;
    }
    ReadPageData();
    m_strEmail = Trim(m_strEmail);
    if (m_strEmail.empty()) return;
    m_strPassword = Trim(m_strPassword);
    if (m_strPassword.empty()) return;
    if (m_strEmail == m_strEmailHint || m_strPassword == m_strPasswordHint) return;
    if (g_sessionState == SigningIn) return;
    // The version check lets the UI run on; a second click meanwhile must
    // not start a second sign-in, nor one go on once the program is closing.
    // A click during the start-up check is kept for when it is over: the
    // form is on screen by then, and the click must not be lost.
    if (m_checkingVersion) {
        m_signinAfterCheck = true;
        return;
    }
    m_signinAfterCheck = false;
    const int closing = CheckVersion();
    // Clicks during this sign-in's own check belong to this sign-in.
    m_signinAfterCheck = false;
    if (closing == 1 || m_ended) return;
    BeginAttempt();
    g_sessionState = SigningIn;
    ShowLoginStatus("1");
    if (!StartCredentialWorker()) ResetSignIn(0);
}

bool CMainDlg::StartCredentialWorker() {
    // A check still running belongs to a sign-in that has ended since (a
    // sign-out or the watchdog reset it); its answer must not act on this one.
    std::erase_if(m_credentialWorkers, [](const auto& worker) { return worker->Finished(); });
    for (auto& worker : m_credentialWorkers) worker->Cancel();
    // The worker gets its own copies: the UI thread goes on changing the
    // members while the check runs.
    struct Job {
        IEventLoop* loop;
        WindowHandle controller;
        StringList cookies;
        std::string email;
        std::string password;
        CredentialCheck check;
        std::uint64_t attempt;
    };
    Job job{&m_ports.loop,     m_hWnd,   m_cookieList, m_strEmail, m_strPassword,
            m_credentialCheck, m_attempt};
    try {
        m_credentialWorkers.push_back(std::make_unique<CancellableWorker>(
            [job = std::move(job)](const std::atomic<bool>& cancelled) {
                std::string userId;
                const int result =
                    job.check(job.cookies, job.email, job.password, userId, cancelled);
                if (cancelled || g_sessionState == SignedIn) return;
                std::uintptr_t code = 2;
                switch (result) {
                    case 1000:
                        code = 0;
                        break;
                    case 400:
                        code = 1;
                        break;
                    case 430:
                        code = 4;
                        break;
                    case 460:
                        code = 5;
                        break;
                    default:
                        break;
                }
                job.loop->Send(job.controller, UWM_SIGNIN_RESULT, code,
                               static_cast<std::intptr_t>(job.attempt));
            }));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CMainDlg::OnSigninResult(std::uintptr_t result, std::uint64_t attempt) {
    // The attempt this check belonged to was ended meanwhile (sign-out,
    // reset): what it found must not act on the form or a newer attempt.
    if (attempt != m_attempt || g_sessionState != SigningIn) return;
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

void CMainDlg::SubmitSignInForm() {
    IHtmlWindow* host = m_host.Window();
    if (!host || !host->HasDocument()) return ResetSignIn(0);
    const StringList names{"svcIptLgnID", "svcIptLgnPD"};
    const StringList values{m_strEmail, m_strPassword};
    host->FillForm(names, values, "signin_submit", [this, attempt = m_attempt](bool submitted) {
        if (attempt != m_attempt) return;
        if (submitted)
            m_ports.loop.SetTimer(m_hWnd, TIMER_SIGNIN_WATCHDOG, kWatchdogMs);
        else
            ResetSignIn(0);
    });
}

void CMainDlg::BeginAttempt() {
    EndAttempt();
}

void CMainDlg::EndAttempt() {
    // Whatever the old attempt still has running (its check, its answer
    // waiting to be handled, its watchdog) is told apart by the number.
    ++m_attempt;
    m_ports.loop.KillTimer(m_hWnd, TIMER_SIGNIN_WATCHDOG);
    for (auto& worker : m_credentialWorkers) worker->Cancel();
}

void CMainDlg::ResetSignIn(int status) {
    EndAttempt();
    NavigateHostToSignIn();
    ShowLoginStatus(std::to_string(status));
    WritePageData();
    g_sessionState = SignedOut;
    RefreshTrayIcon();
}

void CMainDlg::SigninOk(const std::string& value) {
    const StringList parts = SplitAll(value, ',');
    if (parts.size() != 3 || parts[0] != "SUCCESS") {
        m_ports.messageBox.Show(kServerError, kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
        ResetSignIn(0);
        return;
    }
    EndAttempt();
    g_sessionState = SignedIn;
    RefreshTrayIcon();
    if (!m_signinInfo) m_signinInfo = std::make_unique<SigninInfo>();
    m_signinInfo->token = parts[1];
    if (IHtmlWindow* host = m_host.Window()) {
        m_ports.browser.GetCookies(host->CurrentUrl(), [this](const std::string& cookies) {
            if (!cookies.empty() && m_signinInfo) m_signinInfo->cookies = cookies;
        });
    }
    if (AppSettings.rememberEmail) WriteSetting("ETC", "email", m_strEmail);
    m_window->Hide();
    CallAppToScript(102, m_signinInfo->token);
    if (IHtmlWindow* host = m_host.Window()) host->Show();
}

void CMainDlg::OnSigninWatchdog() {
    m_ports.loop.KillTimer(m_hWnd, TIMER_SIGNIN_WATCHDOG);
    if (g_sessionState != SigningIn) return;
    AbandonSignIn();
    m_ports.messageBox.Show(LoadText(204), kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
}

void CMainDlg::EndSession() {
    EndAttempt();
    m_strPassword.clear();
    WritePageData();
    if (!AppSettings.rememberEmail) {
        m_strEmail.clear();
        WritePageData();
    }
    if (m_signinInfo && !m_signinInfo->token.empty()) CallAppToScript(103, m_signinInfo->token);
    g_sessionState = SignedOut;
    RefreshTrayIcon();
    if (m_signinInfo) m_signinInfo->Clear();
    // Both the program's own requests and the web views start afresh. The
    // web views forget their cookies asynchronously: the sign-in page is
    // loaded only once they have, or it would go out with the old session.
    EndHttpSession();
    m_endingBrowserSession = true;
    std::weak_ptr<bool> alive = m_alive;
    m_ports.browser.EndSession([this, alive] {
        if (alive.expired()) return;
        m_endingBrowserSession = false;
        if (!m_signinPageWanted) return;
        m_signinPageWanted = false;
        LoadSignInPage(false);
    });
}

void CMainDlg::SignOut() {
    EndSession();
    IHtmlWindow* host = m_host.Window();
    if (host) {
        host->Hide();
        if (host->CurrentUrl().find(kSignInPath) == std::string::npos) NavigateHostToSignIn();
    }
    ShowLoginStatus();
    ShowController();
}

void CMainDlg::AbandonSignIn() {
    // The session the service may have begun is ended before the sign-in
    // page is loaded again, so that the load carries none of its cookies.
    SignOut();
    NavigateHostToSignIn();
}
