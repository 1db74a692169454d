// The login page's controls as the controller handles them.
#include "config/AppSettings.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "desktop/OpenInBrowser.h"

namespace {
constexpr const char* kForgotPath = "/account/plugin_signin.html?SigninType=findpw";
constexpr const char* kSignupPath = "/account/plugin_signin.html?SigninType=signup";
}  // namespace

void CMainDlg::OnElementEvent(const std::string& id, ElementEvent event) {
    if (event != ElementEvent::Click) return;
    if (id == "span_signin")
        m_session.Signin();
    else if (id == "a_forgot")
        OnForgotClick();
    else if (id == "main_btn_signup")
        OnSignupClick();
    else if (id == "checkbox_email")
        OnRememberEmailClick();
    else if (id == "div_min")
        m_window->Minimize();
    else if (id == "div_close")
        m_window->Hide();
}

void CMainDlg::OnRememberEmailClick() {
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

void CMainDlg::OnForgotClick() {
    OpenInBrowser(m_ports.shell, AppSettings.webClientBaseUrl + kForgotPath);
}

void CMainDlg::OnSignupClick() {
    OpenInBrowser(m_ports.shell, AppSettings.webClientBaseUrl + kSignupPath);
}
