#include "login/LoginWindow.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "desktop/OpenInBrowser.h"

namespace {
constexpr const char* kForgotPath = "/account/plugin_signin.html?SigninType=findpw";
constexpr const char* kSignupPath = "/account/plugin_signin.html?SigninType=signup";

// The login page's elements that the program exchanges data with.
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

bool LoginWindow::Create(Events events) {
    m_events = std::move(events);
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
    // The texts were loaded before the window, for the tray: the page must
    // know its hints before the user's first click in a field.
    m_window->SetFocusHints(m_strEmailHint, m_strPasswordHint);
    return true;
}

void LoginWindow::LoadPageTexts() {
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

void LoginWindow::WritePageData() {
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

void LoginWindow::ReadPageData() {
    m_strEmail = m_window->GetData("input_email");
    m_strPassword = m_window->GetData("input_password");
    m_nRemember = m_window->GetData("checkbox_email") == "1" ? 1 : 0;
}

void LoginWindow::ShowStatus(const std::optional<std::string>& code) {
    m_page.CallState(m_window.get(), "showLoginStatus", code ? StringList{*code} : StringList{});
}

void LoginWindow::ClearMessages() {
    if (m_window->HasDocument() && m_page.BindDocument(m_window.get()))
        m_page.InvokeScript("showLoginStatus", "9");
}

void LoginWindow::StartFields() {
    m_nRemember = AppSettings.rememberEmail ? 1 : 0;
    m_strEmail = AppSettings.savedEmail;
    WritePageData();
    if (m_strEmail.empty()) m_strEmail = m_strEmailHint;
    m_strPassword = m_strPasswordHint;
}

void LoginWindow::ReadFields(std::string& email, std::string& password) {
    ReadPageData();
    email = m_strEmail;
    password = m_strPassword;
}

bool LoginWindow::FieldsShowHints(const std::string& email, const std::string& password) const {
    return email == m_strEmailHint || password == m_strPasswordHint;
}

void LoginWindow::WriteFields(const std::string& email, const std::string& password) {
    m_strEmail = email;
    m_strPassword = password;
    WritePageData();
}

void LoginWindow::ClearFields(bool keepEmail) {
    m_strPassword.clear();
    WritePageData();
    if (keepEmail) return;
    m_strEmail.clear();
    WritePageData();
}

void LoginWindow::ShapeWindow() {
    m_window->Resize(kWidth, kHeight);
    m_window->SetRoundedRegion(kCornerEllipse, kCornerEllipse);
    // Before its page has loaded this shows nothing; the first load shows
    // the window, in front.
    Show();
}

// The login window never shows before its page has loaded: until then a
// request to show it is dropped, and the first completed page shows it.
void LoginWindow::Show() {
    if (!m_pageLoaded) return;
    m_window->Show();
}

void LoginWindow::ShowInFront() {
    Show();
    m_window->SetForeground();
}

void LoginWindow::OnDocumentComplete(const std::string& url, bool topLevel) {
    if (!topLevel) return;
    WritePageData();
    if (!m_pageLoaded) {
        m_pageLoaded = true;
        Show();
    }
    m_page.OnDocumentLoaded(m_window.get());
}

void LoginWindow::OnPageLost(bool reloading) {
    // Reloading, the page gets its fields and status back once it has
    // loaded. A page whose process keeps dying cannot show anything.
    if (!reloading)
        m_ports.messageBox.Show(LoadText(204), kTitle, MessageBoxButtons::Ok, MessageBoxIcon::None);
}

void LoginWindow::OnExternalCall(const std::string& method, const StringList& args) {
    if (method == "Signin") {
        if (m_events.signin) m_events.signin();
    } else if (m_events.externalCall) {
        m_events.externalCall(method, args);
    }
}

void LoginWindow::OnElementEvent(const std::string& id, ElementEvent event) {
    if (event != ElementEvent::Click) return;
    if (id == "span_signin") {
        if (m_events.signin) m_events.signin();
    } else if (id == "a_forgot") {
        OnForgotClick();
    } else if (id == "main_btn_signup") {
        OnSignupClick();
    } else if (id == "checkbox_email") {
        OnRememberEmailClick();
    } else if (id == "div_min") {
        m_window->Minimize();
    } else if (id == "div_close") {
        m_window->Hide();
    }
}

void LoginWindow::OnRememberEmailClick() {
    ReadPageData();
    AppSettings.rememberEmail = m_nRemember == 1;
    WriteSetting("ETC", "re_email", AppSettings.rememberEmail ? "TRUE" : "FALSE");
    if (AppSettings.rememberEmail) {
        WritePageData();
        return;
    }
    WriteSetting("ETC", "email", "");
    m_strEmail.clear();
    m_strPassword.clear();
    WritePageData();
    if (m_window->HasDocument() && m_page.BindDocument(m_window.get()))
        m_page.InvokeScript("UpdateData", m_strEmailHint, m_strPasswordHint);
}

void LoginWindow::OnForgotClick() {
    OpenInBrowser(m_ports.shell, AppSettings.webClientBaseUrl + kForgotPath);
}

void LoginWindow::OnSignupClick() {
    OpenInBrowser(m_ports.shell, AppSettings.webClientBaseUrl + kSignupPath);
}
