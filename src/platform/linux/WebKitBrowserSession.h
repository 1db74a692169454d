#pragma once
// Cookies of the HTML windows' web context.
#include <webkit2/webkit2.h>

#include "platform/BrowserSession.h"

class WebContext;

class WebKitBrowserSession : public IBrowserSession {
public:
    explicit WebKitBrowserSession(WebContext& context);
    ~WebKitBrowserSession() override;
    WebKitBrowserSession(const WebKitBrowserSession&) = delete;
    WebKitBrowserSession& operator=(const WebKitBrowserSession&) = delete;

    void GetCookies(const std::string& url, std::function<void(const std::string&)> done) override;
    void EndSession(std::function<void()> done) override;

private:
    WebKitCookieManager* m_cookies;
    GCancellable* m_cancel;
};
