#pragma once
// The login window: the program's small rounded window with the login page,
// its texts, fields and status, its controls and the rule that it never
// shows before its page has loaded.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "desktop/CWebPage.h"
#include "platform/Ports.h"

class LoginWindow : public IHtmlWindowEvents {
public:
    static constexpr int kWidth = 281;
    static constexpr int kHeight = 387;
    static constexpr int kCornerEllipse = 17;
    static constexpr int kPageId = 172;
    static constexpr const char* kTitle = "Murmel Alarm";

    // What the page asks of the program: a sign-in (the Login button or the
    // page's own call), and the other external calls.
    struct Events {
        std::function<void()> signin;
        std::function<void(const std::string& method, const StringList& args)> externalCall;
    };

    explicit LoginWindow(Ports& ports) : m_ports(ports) {}

    // Creates the window hidden; its page loads.
    bool Create(Events events);
    void Destroy() {
        m_page.ForgetWindow(m_window.get());
        m_window.reset();
    }
    IHtmlWindow* Window() const { return m_window.get(); }

    void LoadPageTexts();
    // Its size and rounded corners; shown (once loaded) and in front.
    void ShapeWindow();
    // Shown once the page has loaded; a request before is dropped.
    void Show();
    void Hide() { m_window->Hide(); }
    void ShowInFront();
    // Tells the login page its state; no code shows the form. The state is
    // kept and given again to a page loaded later.
    void ShowStatus(const std::optional<std::string>& code);
    // Clears the page's messages, leaving its state.
    void ClearMessages();

    // The fields: the address remembered at start, what the user typed, what
    // a sign-in gives back.
    void StartFields();
    void ReadFields(std::string& email, std::string& password);
    bool FieldsShowHints(const std::string& email, const std::string& password) const;
    void WriteFields(const std::string& email, const std::string& password);
    void ClearFields(bool keepEmail);
    const std::string& Email() const { return m_strEmail; }
    void ForgetEmailForTest() { m_strEmail.clear(); }
    const std::string& AlarmText() const { return m_strAlarm; }
    const std::string& TitleText() const { return m_strTitle; }

    // IHtmlWindowEvents
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    void OnExternalCall(const std::string& method, const StringList& args) override;
    void OnElementEvent(const std::string& id, ElementEvent event) override;
    void OnPageLost(bool reloading) override;

private:
    void WritePageData();
    void ReadPageData();
    void OnRememberEmailClick();
    void OnForgotClick();
    void OnSignupClick();

    // Page texts of the login page, in the order of its elements.
    std::string m_strTitle, m_strLoading, m_strSignin, m_strInvalidEmail, m_strInvalidPassword,
        m_strRemember, m_strForgot, m_strSignupQuestion, m_strSignup;
    std::string m_strAlarm;
    std::string m_strLoginError;
    std::string m_strEmailHint;
    std::string m_strPasswordHint;

    int m_nRemember = 0;
    std::string m_strEmail;
    std::string m_strPassword;

    Ports& m_ports;
    Events m_events;
    CWebPage m_page;
    bool m_pageLoaded = false;
    std::unique_ptr<IHtmlWindow> m_window;
};
