#include "net/PingSite.h"

#include <curl/curl.h>

#include <memory>

#include "net/CurlTransfer.h"
#include "net/HttpRequest.h"
#include "net/TlsTrust.h"

namespace {
size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}
}  // namespace

bool PingSite(INetworkStatus& network, const std::string& address, std::string& error) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle) {
        error = "The request could not be started.";
        return false;
    }
    CURL* h = handle.get();
    char message[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard);
    ApplyTlsTrust(h);
    // The site is always tried: the network monitor only knows whether there
    // is a default route, and a site on this machine or an intranet needs
    // none. The UI waits for this request, so it is bounded.
    const TransferResult result =
        PerformTransfer(h, EnsureScheme(address), false, kUiRequestLimits, network);
    if (result.code == CURLE_OK) return true;
    error = !result.error.empty() ? result.error
            : message[0]          ? message
                                  : curl_easy_strerror(result.code);
    if (error.size() > 1024) error.resize(1024);
    return false;
}
