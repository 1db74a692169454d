#pragma once
// The network-status port on GIO's network monitor. Constructed on the UI
// thread; the monitor's change signal arrives there and updates a flag that
// any thread may read.
#include <gio/gio.h>

#include <atomic>

#include "platform/System.h"

class GioNetworkStatus : public INetworkStatus {
public:
    GioNetworkStatus();
    ~GioNetworkStatus() override;
    GioNetworkStatus(const GioNetworkStatus&) = delete;
    GioNetworkStatus& operator=(const GioNetworkStatus&) = delete;

    bool IsOnline() override { return m_online.load(); }

private:
    static void OnChanged(GNetworkMonitor* monitor, gboolean available, gpointer self);

    GNetworkMonitor* m_monitor;
    gulong m_handler = 0;
    std::atomic<bool> m_online;
};
