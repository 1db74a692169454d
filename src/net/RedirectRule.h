#pragma once
// The one rule for following redirects, shared by every request the program
// makes itself. Any thread.
#include <string>

// At most this many redirects are followed for one request.
inline constexpr int kMaxRedirects = 5;

enum class RedirectVerdict {
    NotARedirect,  // the answer is the request's answer
    Follow,
    Refuse,  // the request fails
};

// Judges an answer with `status` to a request for `from` whose Location
// resolves to `to` (empty when there is none), after `followed` redirects.
// `resendsBody` says whether the request carries a body that a 307 or 308
// would send again. Refused: a redirect past the limit, one that leaves
// https for http or leaves http and https altogether, and a body re-sent to
// another origin (scheme, host and port).
RedirectVerdict JudgeRedirect(long status, const std::string& from, const std::string& to,
                              bool resendsBody, int followed);

// Whether a redirect with `status` turns a request with a body into a GET
// without one, as browsers do (301, 302 and 303).
bool RedirectDropsBody(long status);
