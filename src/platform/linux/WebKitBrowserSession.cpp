#include "platform/linux/WebKitBrowserSession.h"

#include <libsoup/soup.h>

#include "platform/linux/WebContext.h"

namespace {
using CookieText = std::function<void(const std::string&)>;

void CookiesFound(GObject* source, GAsyncResult* result, gpointer data) {
    auto* done = static_cast<CookieText*>(data);
    GError* error = nullptr;
    GList* cookies =
        webkit_cookie_manager_get_cookies_finish(WEBKIT_COOKIE_MANAGER(source), result, &error);
    const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
    g_clear_error(&error);
    std::string text;
    for (GList* item = cookies; item; item = item->next) {
        auto* cookie = static_cast<SoupCookie*>(item->data);
        if (!text.empty()) text += "; ";
        text += std::string(soup_cookie_get_name(cookie)) + "=" + soup_cookie_get_value(cookie);
    }
    g_list_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
    if (!cancelled && *done) (*done)(text);
    delete done;
}

void AllCookiesFound(GObject* source, GAsyncResult* result, gpointer) {
    auto* manager = WEBKIT_COOKIE_MANAGER(source);
    GList* cookies = webkit_cookie_manager_get_all_cookies_finish(manager, result, nullptr);
    for (GList* item = cookies; item; item = item->next) {
        auto* cookie = static_cast<SoupCookie*>(item->data);
        // A session cookie is one without an expiry date.
        if (!soup_cookie_get_expires(cookie))
            webkit_cookie_manager_delete_cookie(manager, cookie, nullptr, nullptr, nullptr);
    }
    g_list_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
}
}  // namespace

WebKitBrowserSession::WebKitBrowserSession(WebContext& context)
    : m_cookies(webkit_web_context_get_cookie_manager(context.Context())),
      m_cancel(g_cancellable_new()) {}

WebKitBrowserSession::~WebKitBrowserSession() {
    g_cancellable_cancel(m_cancel);
    g_object_unref(m_cancel);
}

void WebKitBrowserSession::GetCookies(const std::string& url, CookieText done) {
    webkit_cookie_manager_get_cookies(m_cookies, url.c_str(), m_cancel, CookiesFound,
                                      new CookieText(std::move(done)));
}

void WebKitBrowserSession::EndSession() {
    webkit_cookie_manager_get_all_cookies(m_cookies, nullptr, AllCookiesFound, nullptr);
}
