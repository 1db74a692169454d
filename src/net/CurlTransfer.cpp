#include "net/CurlTransfer.h"

#include <chrono>

#include "net/RedirectRule.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long a request that has not connected yet may go on while the
// network monitor reports no network. The monitor only knows of a default
// route: a site on this machine or on a routed intranet is reached without
// one, and connects well within this.
constexpr auto kOfflineGrace = std::chrono::seconds(2);

struct Watch {
    CURL* handle;
    const RequestLimits& limits;
    INetworkStatus& network;
    Clock::time_point hopStarted;
    bool offline = false;
};

int OnProgress(void* data, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    auto* watch = static_cast<Watch*>(data);
    if (watch->limits.cancel && watch->limits.cancel->load()) return 1;
    if (received > 0 || sent > 0) return 0;
    curl_off_t connected = 0;
    curl_easy_getinfo(watch->handle, CURLINFO_CONNECT_TIME_T, &connected);
    if (connected > 0 || Clock::now() - watch->hopStarted < kOfflineGrace) return 0;
    if (watch->network.IsOnline()) return 0;
    watch->offline = true;
    return 1;
}

std::string Info(CURL* handle, CURLINFO what) {
    char* text = nullptr;
    curl_easy_getinfo(handle, what, &text);
    return text ? text : "";
}

}  // namespace

TransferResult PerformTransfer(CURL* handle, const std::string& url, bool hasBody,
                               const RequestLimits& limits, INetworkStatus& network,
                               std::string* received) {
    TransferResult result;
    // Redirects are followed here, hop by hop, so that each one is judged
    // before anything is sent to its address.
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    if (limits.stallSeconds > 0) {
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    }
    Watch watch{handle, limits, network, Clock::now()};
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &watch);

    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.totalSeconds);
    std::string current = url;
    curl_easy_setopt(handle, CURLOPT_URL, current.c_str());
    for (int followed = 0;; ++followed) {
        if (limits.cancel && limits.cancel->load()) {
            result.code = CURLE_ABORTED_BY_CALLBACK;
            return result;
        }
        if (limits.totalSeconds > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                result.code = CURLE_OPERATION_TIMEDOUT;
                return result;
            }
            curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
        }
        if (received) received->clear();
        watch.hopStarted = Clock::now();
        result.code = curl_easy_perform(handle);
        if (watch.offline) result.error = "The network connection was lost.";
        if (result.code != CURLE_OK) return result;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);

        const std::string from = Info(handle, CURLINFO_EFFECTIVE_URL);
        const std::string to = Info(handle, CURLINFO_REDIRECT_URL);
        switch (JudgeRedirect(result.status, from, to, hasBody, followed)) {
            case RedirectVerdict::NotARedirect:
                return result;
            case RedirectVerdict::Refuse:
                result.code = CURLE_TOO_MANY_REDIRECTS;
                result.error = followed >= kMaxRedirects
                                   ? "The site redirected the request too many times."
                                   : "The site redirected the request to an address it may "
                                     "not go to.";
                return result;
            case RedirectVerdict::Follow:
                break;
        }
        if (hasBody && RedirectDropsBody(result.status)) {
            curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, nullptr);
            curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
            hasBody = false;
        }
        current = to;
        curl_easy_setopt(handle, CURLOPT_URL, current.c_str());
    }
}
