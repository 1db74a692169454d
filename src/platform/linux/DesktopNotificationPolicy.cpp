#include "platform/linux/DesktopNotificationPolicy.h"

#include <gdk/gdk.h>
#include <gio/gio.h>
// After the port headers: Xlib defines macros such as Status.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <vector>

namespace {

constexpr const char* kBannersSchema = "org.gnome.desktop.notifications";
// A server that does not answer this fast is taken as not inhibiting.
constexpr int kServerTimeoutMs = 500;

GSettings* BannersSettings() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kBannersSchema, TRUE);
    if (!schema) return nullptr;
    const bool hasKey = g_settings_schema_has_key(schema, "show-banners");
    g_settings_schema_unref(schema);
    return hasKey ? g_settings_new(kBannersSchema) : nullptr;
}

std::vector<unsigned long> WindowProperty(Display* x, Window window, const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(x, window, XInternAtom(x, name, False), 0, 64, False, type, &actualType,
                           &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const auto* items = reinterpret_cast<unsigned long*>(data);
        values.assign(items, items + count);
    }
    if (data) XFree(data);
    return values;
}

}  // namespace

DesktopNotificationPolicy::DesktopNotificationPolicy()
    : m_banners(BannersSettings()), m_bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {}

DesktopNotificationPolicy::~DesktopNotificationPolicy() {
    if (m_bus) g_object_unref(m_bus);
    if (m_banners) g_object_unref(m_banners);
}

bool DesktopNotificationPolicy::DoNotDisturb() {
    if (m_banners && !g_settings_get_boolean(m_banners, "show-banners")) return true;
    if (!m_bus) return false;
    // Asked afresh for each message, so a server that came, went or changed
    // its mind since is seen; without a server the bus answers at once.
    GVariant* reply = g_dbus_connection_call_sync(
        m_bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.freedesktop.Notifications", "Inhibited"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kServerTimeoutMs, nullptr, nullptr);
    if (!reply) return false;
    GVariant* inhibited = nullptr;
    g_variant_get(reply, "(v)", &inhibited);
    const bool on =
        g_variant_is_of_type(inhibited, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(inhibited);
    g_variant_unref(inhibited);
    g_variant_unref(reply);
    return on;
}

bool DesktopNotificationPolicy::FullscreenOver(const Rect& area) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    const Window root = DefaultRootWindow(x);
    gdk_x11_display_error_trap_push(display);
    bool covered = false;
    const std::vector<unsigned long> active =
        WindowProperty(x, root, "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (!active.empty() && active[0] != None) {
        const Window window = active[0];
        const Atom fullscreen = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", False);
        bool isFullscreen = false;
        for (unsigned long state : WindowProperty(x, window, "_NET_WM_STATE", XA_ATOM))
            isFullscreen = isFullscreen || state == fullscreen;
        XWindowAttributes attributes;
        int cx = 0, cy = 0;
        Window child = None;
        if (isFullscreen && XGetWindowAttributes(x, window, &attributes) &&
            XTranslateCoordinates(x, window, root, attributes.width / 2, attributes.height / 2, &cx,
                                  &cy, &child)) {
            GdkMonitor* windowMonitor = gdk_display_get_monitor_at_point(display, cx, cy);
            GdkMonitor* stackMonitor =
                gdk_display_get_monitor_at_point(display, area.right - 1, area.bottom - 1);
            covered = windowMonitor && windowMonitor == stackMonitor;
        }
    }
    gdk_x11_display_error_trap_pop_ignored(display);
    return covered;
}
