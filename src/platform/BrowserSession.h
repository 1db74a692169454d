#pragma once
// Cookies of the embedded browser's session. UI thread only.
#include <functional>
#include <string>

class IBrowserSession {
public:
    virtual ~IBrowserSession() = default;
    // The cookies the browser would send to url, as "name=value; name=value".
    virtual void GetCookies(const std::string& url,
                            std::function<void(const std::string&)> done) = 0;
    // Ends the browser session: forgets every session cookie, then calls
    // `done` (not called when the session object goes first).
    virtual void EndSession(std::function<void()> done) = 0;
};
