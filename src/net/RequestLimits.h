#pragma once
// How long one request may take, and how its caller stops it early.
#include <atomic>

struct RequestLimits {
    long connectSeconds = 60;
    // The whole exchange, redirects included; 0 for none, when only an
    // answer that stalls for stallSeconds ends it.
    long totalSeconds = 0;
    long stallSeconds = 30;
    // Watched while the request runs: once set, the request ends as failed.
    const std::atomic<bool>* cancel = nullptr;
};

// Requests the UI thread waits for (version check, keep-alive).
inline constexpr RequestLimits kUiRequestLimits{10, 20, 20, nullptr};
