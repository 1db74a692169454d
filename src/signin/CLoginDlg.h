#pragma once
// The web-client window: hosts the service's sign-in page and web client.
#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "platform/HtmlWindow.h"

inline constexpr const char* kSignInPath = "/account/plugin_signin.html?SigninType=plugin";

class CLoginDlg : public IHtmlWindowEvents {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 806;
    static constexpr int kPageId = 104;

    ~CLoginDlg() override;
    // Creates the window hidden and empty; the controller loads the
    // sign-in page into it.
    void Create(IHtmlWindowFactory& factory, IEventLoop& loop, WindowHandle mainWnd);
    void Destroy();
    IHtmlWindow* Window() const { return m_window.get(); }

    // The service's pages reach the controller through the same external
    // object as the login page; closing the window only hides it.
    void OnExternalCall(const std::string& method, const StringList& args) override;
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    void OnForeignDocument(const std::string& url) override;
    void OnLinkOut(const std::string& url) override;
    void OnCloseRequest() override;
    void OnActivate(bool active) override;
    void OnPageLost(bool reloading) override;

    int m_active = 0;
    WindowHandle m_hMainWnd = 0;
    std::string m_alarmText;

private:
    IEventLoop* m_loop = nullptr;
    std::unique_ptr<IHtmlWindow> m_window;
};
