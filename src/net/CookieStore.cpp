#include "net/CookieStore.h"

#include <array>
#include <memory>
#include <mutex>
#include <string_view>

namespace {

// The share handle lives for the whole process: requests on the sign-in
// worker may still run while static destructors of the UI thread run.
struct SharedStore {
    CURLSH* share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
};

void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<SharedStore*>(user)->locks[data].lock();
}

void Unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<SharedStore*>(user)->locks[data].unlock();
}

SharedStore& Store() {
    static SharedStore* store = [] {
        auto* s = new SharedStore;
        s->share = curl_share_init();
        curl_share_setopt(s->share, CURLSHOPT_LOCKFUNC, Lock);
        curl_share_setopt(s->share, CURLSHOPT_UNLOCKFUNC, Unlock);
        curl_share_setopt(s->share, CURLSHOPT_USERDATA, s);
        curl_share_setopt(s->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        return s;
    }();
    return *store;
}

// The store reads a cookie as one line of tab-separated fields ending at the
// first zero byte: a field holding a tab, a line end or a zero byte would
// store some other cookie.
bool FitsCookieLine(const std::string& text) {
    return text.find_first_of(std::string_view("\t\r\n\0", 4)) == std::string::npos;
}

}  // namespace

void UseCookieStore(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_SHARE, Store().share);
    // An empty file name switches the cookie engine on without reading one.
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
}

CookieEntry ParseCookieEntry(const std::string& entry) {
    const auto first = entry.find('=');
    if (first == std::string::npos) return {entry, {}};
    const auto second = entry.find('=', first + 1);
    const auto length = second == std::string::npos ? std::string::npos : second - first - 1;
    return {entry.substr(0, first), entry.substr(first + 1, length)};
}

std::string CookiePathOf(const std::string& object) {
    std::string path = object.substr(0, object.find_first_of("?#"));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

void StoreSessionCookie(CURL* handle, const std::string& host, const std::string& path,
                        const CookieEntry& cookie) {
    if (cookie.name.empty()) return;
    if (!FitsCookieLine(cookie.name) || !FitsCookieLine(cookie.value) || !FitsCookieLine(host) ||
        !FitsCookieLine(path))
        return;
    // Netscape cookie-file form: this host only, not secure-only, expiry 0
    // for a session cookie.
    const std::string line =
        host + "\tFALSE\t" + path + "\tFALSE\t0\t" + cookie.name + "\t" + cookie.value;
    curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.c_str());
}

void StoreRequestCookies(CURL* handle, const std::string& host, const std::string& object,
                         const StringList& entries) {
    const std::string path = CookiePathOf(object);
    for (const std::string& entry : entries)
        StoreSessionCookie(handle, host, path, ParseCookieEntry(entry));
}

void ClearCookieStore() {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle) return;
    UseCookieStore(handle.get());
    curl_easy_setopt(handle.get(), CURLOPT_COOKIELIST, "ALL");
}
