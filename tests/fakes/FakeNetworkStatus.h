#pragma once
#include <atomic>

#include "platform/System.h"

// Connectivity as the test sets it; counts the questions.
class FakeNetworkStatus : public INetworkStatus {
public:
    explicit FakeNetworkStatus(bool online = true) : online(online) {}
    bool IsOnline() override {
        ++asked;
        return online;
    }
    std::atomic<bool> online;
    std::atomic<int> asked{0};
};
