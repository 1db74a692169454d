#pragma once
// The web-client window: hosts the service's sign-in page and web client.
#include <functional>
#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "platform/HtmlWindow.h"

inline constexpr const char* kSignInPath = "/account/plugin_signin.html?SigninType=plugin";

// What the window's pages tell its owner.
struct WebClientEvents {
    // SigninReady, SigninOk and ScriptToApp from the service's pages.
    std::function<void(const std::string& method, const StringList& args)> externalCall;
    // Every completed document, frames included.
    std::function<void(const std::string& url)> documentComplete;
    // The window's web process ended; `reloading` as IHtmlWindowEvents::OnPageLost.
    std::function<void(bool reloading)> pageLost;
    // A top-level page of another site finished loading.
    std::function<void(const std::string& url)> foreignPage;
    // A link the web client wants opened outside it.
    std::function<void(const std::string& url)> linkOut;
    // The user closed the window (it is only hidden).
    std::function<void()> closed;
};

class CLoginDlg : public IHtmlWindowEvents {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 806;
    static constexpr int kPageId = 104;

    ~CLoginDlg() override;
    // Creates the window hidden and empty; the owner loads the sign-in
    // page into it and hears of its pages through `events`.
    void Create(IHtmlWindowFactory& factory, WebClientEvents events);
    void Destroy();
    IHtmlWindow* Window() const { return m_window.get(); }
    // Whether the window is the active one (new messages then need no toast).
    bool Active() const { return m_active; }
    void SetActiveForTest(bool active) { m_active = active; }

    void OnExternalCall(const std::string& method, const StringList& args) override;
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    void OnForeignDocument(const std::string& url) override;
    void OnLinkOut(const std::string& url) override;
    void OnCloseRequest() override;
    void OnActivate(bool active) override;
    void OnPageLost(bool reloading) override;

private:
    bool m_active = false;
    WebClientEvents m_events;
    std::unique_ptr<IHtmlWindow> m_window;
};
