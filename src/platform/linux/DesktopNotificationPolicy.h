#pragma once
// The notification policy port: GNOME's show-banners setting (when its schema
// is installed), the notification server's Inhibited property on the session
// bus (where the server offers it), and a fullscreen active window on X11.
#include "platform/NotificationPolicy.h"

typedef struct _GSettings GSettings;
typedef struct _GDBusConnection GDBusConnection;

class DesktopNotificationPolicy : public INotificationPolicy {
public:
    DesktopNotificationPolicy();
    ~DesktopNotificationPolicy() override;
    DesktopNotificationPolicy(const DesktopNotificationPolicy&) = delete;
    DesktopNotificationPolicy& operator=(const DesktopNotificationPolicy&) = delete;

    bool DoNotDisturb() override;
    bool FullscreenOver(const Rect& area) override;

private:
    GSettings* m_banners = nullptr;
    GDBusConnection* m_bus = nullptr;
};
