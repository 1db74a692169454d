#include "net/HttpRequest.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <set>

#include "net/CookieStore.h"
#include "net/CurlTransfer.h"
#include "net/TlsTrust.h"
#include "net/Utf8Text.h"

namespace {

const char* const kAgent = "Murmel Alarm";

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string Trim(const std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct UrlParts {
    std::string url;
    std::string host;
    std::string object;  // path and query
};

std::string UrlPart(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || !text) return {};
    std::string value = text;
    curl_free(text);
    return value;
}

std::optional<UrlParts> SplitUrl(const std::string& text) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    const std::string scheme = Lower(UrlPart(url.get(), CURLUPART_SCHEME));
    if (scheme != "http" && scheme != "https") return std::nullopt;
    UrlParts parts{UrlPart(url.get(), CURLUPART_URL), UrlPart(url.get(), CURLUPART_HOST),
                   UrlPart(url.get(), CURLUPART_PATH)};
    if (parts.url.empty() || parts.host.empty()) return std::nullopt;
    const std::string query = UrlPart(url.get(), CURLUPART_QUERY);
    if (!query.empty()) parts.object += "?" + query;
    return parts;
}

// The caller's header lines, the first of each name only. A line that is not
// a header ("name:value" on one line) is left out.
HeaderList BuildHeaders(const StringList& lines) {
    HeaderList list(nullptr, curl_slist_free_all);
    std::set<std::string> names;
    auto append = [&list](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(list.get(), line.c_str())) {
            list.release();
            list.reset(grown);
        }
    };
    for (const std::string& line : lines) {
        const auto colon = line.find(':');
        if (colon == std::string::npos || line.find_first_of("\r\n") != std::string::npos) continue;
        const std::string name = Trim(line.substr(0, colon));
        if (name.empty() || !names.insert(Lower(name)).second) continue;
        // The client reads "name:" as "drop this header"; "name;" sends it empty.
        if (Trim(line.substr(colon + 1)).empty())
            append(name + ";");
        else
            append(line);
    }
    // Bodies go out at once instead of after a 100-continue round trip.
    if (!names.count("expect")) append("Expect:");
    return list;
}

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

void SetBody(CURL* handle, HttpVerb verb, const std::string& body) {
    if (verb == HttpVerb::Post) {
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
    } else {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        if (body.empty()) return;
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "GET");
    }
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
}

}  // namespace

std::string EnsureScheme(const std::string& url) {
    return url.rfind("http", 0) == 0 ? url : "https://" + url;
}

void SplitCookies(StringList& list, const std::string& text) {
    list.clear();
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text.find(';', start);
        list.push_back(Trim(text.substr(start, end - start)));
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

int HttpRequest(INetworkStatus& network, HttpVerb verb, const std::string& url,
                const StringList& cookies, const StringList& headers, const std::string& body,
                std::string& response, std::uint32_t* status, const RequestLimits& limits) {
    if (!network.IsOnline()) return 0;
    try {
        const std::optional<UrlParts> parts = SplitUrl(EnsureScheme(url));
        if (!parts) return 0;

        EasyHandle handle(curl_easy_init(), curl_easy_cleanup);
        if (!handle) return 0;
        CURL* h = handle.get();
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_USERAGENT, kAgent);
        ApplyTlsTrust(h);
        UseCookieStore(h);

        const std::string cookiePath = CookiePathOf(parts->object);
        for (const std::string& entry : cookies)
            StoreSessionCookie(h, parts->host, cookiePath, ParseCookieEntry(entry));

        const HeaderList headerList = BuildHeaders(headers);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get());
        SetBody(h, verb, body);

        std::string raw;
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, AppendBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &raw);
        const bool hasBody = verb == HttpVerb::Post || !body.empty();
        const TransferResult result =
            PerformTransfer(h, parts->url, hasBody, limits, network, &raw);
        if (result.code != CURLE_OK) return 0;

        if (status && result.status > 0) *status = static_cast<std::uint32_t>(result.status);

        raw.erase(std::remove(raw.begin(), raw.end(), '\r'), raw.end());
        response = ReplaceInvalidUtf8(raw);
        return kNetOk;
    } catch (const std::exception&) {
        return 0;
    }
}
