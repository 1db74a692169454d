#include "platform/linux/GdkDesktop.h"

#include <gdk/gdk.h>

Rect GdkDesktop::WorkArea() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return {};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return {};
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    return {area.x, area.y, area.x + area.width, area.y + area.height};
}
