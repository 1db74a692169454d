#pragma once
// The cookie store every request of the process shares: cookies handed to a
// request and cookies its answers set are sent with later requests to
// matching addresses. Any thread.
#include <curl/curl.h>

#include <string>

#include "platform/Types.h"

// Attaches the shared store to a fresh request handle.
void UseCookieStore(CURL* handle);

// One cookie entry "name=value" split as the request's callers mean it: the
// name before the first "=", the value up to a second "=" (a value is never
// longer), an empty value when there is no "=".
struct CookieEntry {
    std::string name;
    std::string value;
};
CookieEntry ParseCookieEntry(const std::string& entry);

// The path a cookie stored for a request address applies to: the directory
// of the address's path, "/" at least.
std::string CookiePathOf(const std::string& object);

// Stores a session cookie for `host` and `path` through a handle that uses
// the shared store. Entries without a name, and entries that a cookie line
// cannot hold unchanged, are skipped.
void StoreSessionCookie(CURL* handle, const std::string& host, const std::string& path,
                        const CookieEntry& cookie);

// Stores each cookie entry of a request as a session cookie of the
// request's host and of the directory of its path and query (`object`).
void StoreRequestCookies(CURL* handle, const std::string& host, const std::string& object,
                         const StringList& entries);

// Forgets every cookie of the store.
void ClearCookieStore();
