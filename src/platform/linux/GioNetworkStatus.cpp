#include "platform/linux/GioNetworkStatus.h"

GioNetworkStatus::GioNetworkStatus()
    : m_monitor(G_NETWORK_MONITOR(g_object_ref(g_network_monitor_get_default()))),
      m_online(g_network_monitor_get_network_available(m_monitor)) {
    m_handler = g_signal_connect(m_monitor, "network-changed", G_CALLBACK(OnChanged), this);
}

GioNetworkStatus::~GioNetworkStatus() {
    g_signal_handler_disconnect(m_monitor, m_handler);
    g_object_unref(m_monitor);
}

void GioNetworkStatus::OnChanged(GNetworkMonitor* monitor, gboolean available, gpointer self) {
    static_cast<GioNetworkStatus*>(self)->m_online.store(available);
}
