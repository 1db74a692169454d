#pragma once
// The one blocking HTTP(S) request of the program, and the two text rules
// its callers share. Any thread.
#include <cstdint>
#include <string>

#include "net/RequestLimits.h"
#include "platform/System.h"
#include "platform/Types.h"

// Result of a network operation that sent its request and read the whole
// answer, whatever the answer's status. Every failure is 0.
inline constexpr int kNetOk = 1000;

// Numbered like the verb table the callers were written against.
enum class HttpVerb { Post = 0, Get = 1 };

// The URL with "https://" in front unless it already begins with "http".
std::string EnsureScheme(const std::string& url);

// Replaces `list` with the ";"-separated pieces of a Cookie header value,
// trimmed; empty pieces stay as empty entries.
void SplitCookies(StringList& list, const std::string& text);

// Sends the request and reads the whole answer. The cookie entries
// ("name=value") are first stored in the process-wide cookie store as
// session cookies of the request's address; headers are complete lines such
// as "whoami:murmel_notifier". Redirects are followed by the rule of
// net/RedirectRule.h; a refused one fails the request. Returns kNetOk with
// `response` set to the body (UTF-8, carriage returns dropped) and
// `*status` to the answer's status when asked; 0 on any failure (a cancel
// and the limits' time-outs included), with `response` and `*status`
// untouched. Nothing is sent while the network monitor reports no network.
int HttpRequest(INetworkStatus& network, HttpVerb verb, const std::string& url,
                const StringList& cookies, const StringList& headers, const std::string& body,
                std::string& response, std::uint32_t* status = nullptr,
                const RequestLimits& limits = {});
