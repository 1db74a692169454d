#include "controller/CMainDlg.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "platform/Messages.h"

namespace {

// The login page's elements that the controller exchanges data with.
struct Field {
    const char* id;
    DataKind kind;
};
constexpr Field kTextFields[] = {
    {"main_title", DataKind::InnerText},
    {"main_loading", DataKind::InnerText},
    {"span_signin", DataKind::InnerText},
    {"div_invalid", DataKind::InnerText},
    {"div_password_invalid", DataKind::InnerText},
    {"main_remember", DataKind::InnerText},
    {"a_forgot", DataKind::InnerText},
    {"main_signup", DataKind::InnerText},
    {"main_btn_signup", DataKind::InnerText},
    {"alarm", DataKind::InnerText},
    {"div_error", DataKind::InnerText},
};
}  // namespace

CMainDlg::CMainDlg(Ports& ports) : m_tray(ports.tray), m_toasts(ports), m_ports(ports) {}

CMainDlg::~CMainDlg() {
    if (m_hWnd) OnDestroy();
}

void CMainDlg::DoModal() {
    if (!Create()) return;
    if (!m_ended) m_ports.loop.Run();
    OnDestroy();
}

bool CMainDlg::Create() {
    m_hWnd = m_ports.loop.Register(this);
    HtmlWindowDescription spec;
    spec.resourceId = kPageId;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.title = kTitle;
    spec.taskbar = true;
    m_window = m_ports.htmlWindows.Create(spec, this);
    if (!m_window) return false;
    for (const Field& f : kTextFields) m_window->BindData(f.id, f.kind);
    m_window->BindData("input_email", DataKind::InputValue);
    m_window->BindData("input_password", DataKind::InputValue);
    m_window->BindData("checkbox_email", DataKind::Checkbox);
    m_window->SetDragHandles({"head_title", "logo", "logoimg"});
    return OnInitDialog();
}

bool CMainDlg::OnInitDialog() {
    LoadPageTexts();
    m_window->SetTitle(kTitle);
    ShowLoginStatus("1");

    m_settings.Create(m_ports, m_hWnd);

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
    RefreshTrayIcon();

    ShapeWindow();
    m_window->Center();
    m_session.Start(m_hWnd);
    m_session.LoadSignInPage();

    m_nRemember = AppSettings.rememberEmail ? 1 : 0;
    m_strEmail = AppSettings.savedEmail;
    WritePageData();
    if (m_strEmail.empty()) m_strEmail = m_strEmailHint;
    m_strPassword = m_strPasswordHint;
    // The check lets the loop run while it waits, so it starts from the
    // running loop, as the first thing that loop handles: running the loop
    // from here, before it has started, upset the first loads of the pages.
    m_ports.loop.Post(m_hWnd, UWM_STARTUP_VERSION_CHECK);
    return true;
}

void CMainDlg::LoadPageTexts() {
    m_strTitle = LoadText(161);
    m_strLoading = LoadText(162);
    m_strSignin = LoadText(163);
    m_strInvalidEmail = LoadText(164);
    m_strInvalidPassword = LoadText(202);
    m_strRemember = LoadText(165);
    m_strForgot = LoadText(166);
    m_strSignupQuestion = LoadText(167);
    m_strSignup = LoadText(168);
    m_strAlarm = LoadText(184);
    m_strLoginError = LoadText(204);
    m_strEmailHint = LoadText(197);
    m_strPasswordHint = LoadText(198);
    // The page asks whether a field shows a hint while it runs; it is told
    // the hints so it can answer at once.
    if (m_window) m_window->SetFocusHints(m_strEmailHint, m_strPasswordHint);
}

void CMainDlg::WritePageData() {
    const std::string* texts[] = {&m_strTitle,        &m_strLoading,         &m_strSignin,
                                  &m_strInvalidEmail, &m_strInvalidPassword, &m_strRemember,
                                  &m_strForgot,       &m_strSignupQuestion,  &m_strSignup,
                                  &m_strAlarm,        &m_strLoginError};
    for (size_t i = 0; i < std::size(kTextFields); ++i)
        m_window->SetData(kTextFields[i].id, *texts[i]);
    m_window->SetData("input_email", m_strEmail);
    m_window->SetData("input_password", m_strPassword);
    m_window->SetData("checkbox_email", m_nRemember ? "1" : "0");
}

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

void CMainDlg::ReadLoginFields(std::string& email, std::string& password) {
    ReadPageData();
    email = m_strEmail;
    password = m_strPassword;
}

bool CMainDlg::FieldsShowHints(const std::string& email, const std::string& password) {
    return email == m_strEmailHint || password == m_strPasswordHint;
}

void CMainDlg::WriteLoginFields(const std::string& email, const std::string& password) {
    m_strEmail = email;
    m_strPassword = password;
    WritePageData();
}

void CMainDlg::ClearLoginFields(bool keepEmail) {
    m_strPassword.clear();
    WritePageData();
    if (keepEmail) return;
    m_strEmail.clear();
    WritePageData();
}

void CMainDlg::HideLoginWindow() {
    m_window->Hide();
}

void CMainDlg::ShapeWindow() {
    m_window->Resize(kWidth, kHeight);
    m_window->SetRoundedRegion(kCornerEllipse, kCornerEllipse);
    ShowController();
    m_window->SetForeground();
}

// The login window never shows before its page has loaded: until then a
// request to show it is dropped, and the first completed page shows it.
void CMainDlg::ShowController() {
    if (!m_pageLoaded) return;
    m_window->Show();
}

void CMainDlg::OnDocumentComplete(const std::string& url, bool topLevel) {
    if (!topLevel) return;
    WritePageData();
    if (!m_pageLoaded) {
        m_pageLoaded = true;
        ShowController();
    }
    m_page.OnDocumentLoaded(m_window.get());
}

void CMainDlg::OnPageLost(bool reloading) {
    // Reloading, the page gets its fields and status back once it has
    // loaded. A page whose process keeps dying cannot show anything.
    if (!reloading)
        m_ports.messageBox.Show(LoadText(204), kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
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
        ShowController();
        m_window->SetForeground();
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
    m_window.reset();
}
