#include "net/RedirectRule.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>

namespace {

struct Origin {
    std::string scheme, host, port;
    bool operator==(const Origin&) const = default;
};

std::string Part(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || !text) return {};
    std::string value = text;
    curl_free(text);
    return value;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<Origin> OriginOf(const std::string& text) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    Origin origin{Lower(Part(url.get(), CURLUPART_SCHEME)), Lower(Part(url.get(), CURLUPART_HOST)),
                  Part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT)};
    if (origin.scheme.empty() || origin.host.empty()) return std::nullopt;
    return origin;
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

RedirectVerdict JudgeRedirect(long status, const std::string& from, const std::string& to,
                              bool resendsBody, int followed) {
    if (!IsRedirect(status) || to.empty()) return RedirectVerdict::NotARedirect;
    if (followed >= kMaxRedirects) return RedirectVerdict::Refuse;
    const std::optional<Origin> source = OriginOf(from);
    const std::optional<Origin> target = OriginOf(to);
    if (!source || !target) return RedirectVerdict::Refuse;
    if (target->scheme != "https" && target->scheme != "http") return RedirectVerdict::Refuse;
    // Whatever went out encrypted (cookies, a form) never goes on in clear.
    if (source->scheme == "https" && target->scheme == "http") return RedirectVerdict::Refuse;
    if (resendsBody && !RedirectDropsBody(status) && !(*source == *target))
        return RedirectVerdict::Refuse;
    return RedirectVerdict::Follow;
}

bool RedirectDropsBody(long status) {
    return status == 301 || status == 302 || status == 303;
}
