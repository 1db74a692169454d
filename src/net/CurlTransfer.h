#pragma once
// Runs a prepared request handle to its answer, following redirects by the
// program's rule and keeping to the request's limits. Any thread.
#include <curl/curl.h>

#include <string>

#include "net/RequestLimits.h"
#include "platform/System.h"

struct TransferResult {
    CURLcode code = CURLE_OK;
    long status = 0;    // of the last answer
    std::string error;  // for the user, when the transfer itself did not say
};

// `handle` has its URL (`url`), method, body, headers and write function
// set; `received`, when given, is the buffer the write function fills and
// is emptied before each answer so it ends up holding the last one.
// Each hop keeps the handle, so the shared cookie store sees every answer
// and sends what matches to the next address. The network monitor never
// fails a request on its own: it only ends early one that has not connected
// after a short grace while the monitor reports no network.
TransferResult PerformTransfer(CURL* handle, const std::string& url, bool hasBody,
                               const RequestLimits& limits, INetworkStatus& network,
                               std::string* received = nullptr);
