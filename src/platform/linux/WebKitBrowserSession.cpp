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

// One ending of the session: the cookies still being deleted, and what
// follows once none is left.
struct Ending {
    std::function<void()> done;
    GCancellable* cancel;  // a reference of its own
    int pending = 1;       // the listing itself
    bool cancelled = false;
};

void EndingStepDone(Ending* ending, GError* error) {
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) ending->cancelled = true;
    if (--ending->pending > 0) return;
    if (!ending->cancelled && !g_cancellable_is_cancelled(ending->cancel) && ending->done)
        ending->done();
    g_object_unref(ending->cancel);
    delete ending;
}

void CookieDeleted(GObject* source, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    webkit_cookie_manager_delete_cookie_finish(WEBKIT_COOKIE_MANAGER(source), result, &error);
    EndingStepDone(static_cast<Ending*>(data), error);
    g_clear_error(&error);
}

void AllCookiesFound(GObject* source, GAsyncResult* result, gpointer data) {
    auto* ending = static_cast<Ending*>(data);
    auto* manager = WEBKIT_COOKIE_MANAGER(source);
    GError* error = nullptr;
    GList* cookies = webkit_cookie_manager_get_all_cookies_finish(manager, result, &error);
    for (GList* item = cookies; item && !error; item = item->next) {
        auto* cookie = static_cast<SoupCookie*>(item->data);
        // A session cookie is one without an expiry date.
        if (soup_cookie_get_expires(cookie)) continue;
        ++ending->pending;
        webkit_cookie_manager_delete_cookie(manager, cookie, ending->cancel, CookieDeleted, ending);
    }
    g_list_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
    EndingStepDone(ending, error);
    g_clear_error(&error);
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

void WebKitBrowserSession::EndSession(std::function<void()> done) {
    webkit_cookie_manager_get_all_cookies(
        m_cookies, m_cancel, AllCookiesFound,
        new Ending{std::move(done), G_CANCELLABLE(g_object_ref(m_cancel))});
}
