#include "net/PingSite.h"

#include <curl/curl.h>

#include <memory>

#include "net/HttpRequest.h"
#include "net/TlsTrust.h"

namespace {
size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}
}  // namespace

bool PingSite(INetworkStatus& network, const std::string& address, std::string& error) {
    if (!network.IsOnline()) {
        error = "The network connection was lost.";
        return false;
    }
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle) {
        error = "The request could not be started.";
        return false;
    }
    CURL* h = handle.get();
    char message[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_URL, EnsureScheme(address).c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, message);
    // The UI waits for this request: keep a dead site from freezing it long.
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard);
    ApplyTlsTrust(h);
    const CURLcode result = curl_easy_perform(h);
    if (result == CURLE_OK) return true;
    error = message[0] ? message : curl_easy_strerror(result);
    if (error.size() > 1024) error.resize(1024);
    return false;
}
