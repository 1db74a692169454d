#pragma once
// The controller window. On screen it is the small login window; behind it
// it owns every other window, the tray icon and the session timers, and it
// receives the program's own window messages.
#include <array>
#include <memory>
#include <string>

#include "desktop/CWebPage.h"
#include "notify/CNotiHtmlDlg.h"
#include "notify/CPopupDlg.h"
#include "platform/Ports.h"
#include "settings/CSettingFrm.h"
#include "signin/CLoginDlg.h"
#include "signin/LoginErrorDlg.h"

class CMainDlg : public IHtmlWindowEvents, public IMessageTarget {
public:
    static constexpr int kWidth = 281;
    static constexpr int kHeight = 387;
    static constexpr int kCornerEllipse = 17;
    static constexpr int kPageId = 172;
    static constexpr int kToastCount = 5;
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
    void NavigateHostToSignIn();
    void BringForward();
    void ShowWebClient();
    // Writes the exchanged members into the login page.
    void WritePageData();

    WindowHandle Handle() const { return m_hWnd; }
    IHtmlWindow* Window() const { return m_window.get(); }

    // IMessageTarget
    std::intptr_t OnMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(unsigned id) override;
    // IHtmlWindowEvents
    void OnDocumentComplete(const std::string& url, bool topLevel) override;

    // Page texts of the login page, in the order of its elements.
    std::string m_strTitle, m_strLoading, m_strSignin, m_strInvalidEmail, m_strInvalidPassword,
        m_strRemember, m_strForgot, m_strSignupQuestion, m_strSignup;
    std::string m_strAlarm;
    std::string m_strEmailHint;
    std::string m_strPasswordHint;

    CSettingFrm m_settings;
    std::array<CNotiHtmlDlg, kToastCount> m_toasts;
    CLoginDlg m_host;
    CPopupDlg m_logoutNotice;
    LoginErrorDlg m_accountDlg;

    int m_nRemember = 0;
    std::string m_strEmail;
    std::string m_strPassword;
    CWebPage m_page;
    bool m_pageLoaded = false;
    std::string m_lastSessionId;
    bool m_confirmingSignOut = false;

private:
    void ShowController();
    void EndDialog();

    Ports& m_ports;
    std::unique_ptr<IHtmlWindow> m_window;
    WindowHandle m_hWnd = 0;
    bool m_ended = false;
};
