#pragma once
// The web-client window: hosts the service's sign-in page and web client.
#include <memory>
#include <string>

#include "platform/HtmlWindow.h"

inline constexpr const char* kSignInPath = "/account/plugin_signin.html?SigninType=plugin";

class CLoginDlg : public IHtmlWindowEvents {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 806;
    static constexpr int kPageId = 104;

    ~CLoginDlg() override;
    // Creates the window hidden and starts loading the sign-in page.
    void Create(IHtmlWindowFactory& factory, WindowHandle mainWnd, const std::string& baseUrl);
    void Destroy();
    IHtmlWindow* Window() const { return m_window.get(); }

    int m_active = 0;
    WindowHandle m_hMainWnd = 0;
    std::string m_alarmText;

private:
    std::unique_ptr<IHtmlWindow> m_window;
};
