#include "platform/linux/SniTray.h"

#include <unistd.h>

#include "platform/linux/LegacyTrayIcon.h"

namespace {

const char kIntrospection[] = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i"/><arg name="y" type="i"/></method>
    <method name="Activate"><arg name="x" type="i"/><arg name="y" type="i"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i"/><arg name="y" type="i"/></method>
    <method name="Scroll"><arg name="delta" type="i"/><arg name="orientation" type="s"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>
</node>)xml";

const char kItemInterface[] = "org.kde.StatusNotifierItem";
const char kWatcherPath[] = "/StatusNotifierWatcher";

GVariant* NoPixmaps() {
    return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
}

const char* StatusText(const TrayIconData& icon) {
    return icon.hidden ? "Passive" : "Active";
}

// Asks the bus for (RequestName) or gives back (ReleaseName) a well-known name.
bool CallBus(GDBusConnection* connection, const char* method, GVariant* args, guint32 ok1,
             guint32 ok2) {
    GVariant* reply = g_dbus_connection_call_sync(
        connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
        args, G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (!reply) return false;
    guint32 code = 0;
    g_variant_get(reply, "(u)", &code);
    g_variant_unref(reply);
    return code == ok1 || code == ok2;
}

}  // namespace

SniTray::SniTray(std::string imageDir, bool legacyFallback)
    : m_legacyFallback(legacyFallback), m_images(std::move(imageDir)) {
    static int instances = 0;
    m_busName = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" +
                std::to_string(++instances);

    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (address) {
        // A connection of our own: its unique name is the item's, and its
        // name ownership does not mix with anything else of the process.
        m_connection = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        g_free(address);
    }
    if (!m_connection) return;
    g_dbus_connection_set_exit_on_close(m_connection, FALSE);

    static const GDBusInterfaceVTable vtable = {OnMethodCall, OnGetProperty, nullptr, {}};
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    m_itemRegistration = g_dbus_connection_register_object(
        m_connection, kItemPath, node->interfaces[0], &vtable, this, nullptr, nullptr);
    g_dbus_node_info_unref(node);

    m_menu = std::make_unique<DbusMenu>(m_connection,
                                        DbusMenu::Handlers{[this] { HostMenuAboutToShow(); },
                                                           [this](unsigned id) {
                                                               if (m_events)
                                                                   m_events->OnMenuCommand(id);
                                                           }});
    m_watch =
        g_bus_watch_name_on_connection(m_connection, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                       OnWatcherAppeared, OnWatcherVanished, this, nullptr);
}

SniTray::~SniTray() {
    if (m_withdrawIdle) g_source_remove(m_withdrawIdle);
    m_legacy.reset();
    for (auto& [id, pixmaps] : m_pixmaps) g_variant_unref(pixmaps);
    if (!m_connection) return;
    g_bus_unwatch_name(m_watch);
    Withdraw();
    m_menu.reset();
    g_dbus_connection_unregister_object(m_connection, m_itemRegistration);
    g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
    g_object_unref(m_connection);
}

bool SniTray::RegisterWithWatcher() {
    if (!m_connection) return false;
    if (!m_ownsName) {
        // 1: now the owner, 4: owner already.
        m_ownsName = CallBus(m_connection, "RequestName",
                             g_variant_new("(su)", m_busName.c_str(), 4u), 1, 4);
        if (!m_ownsName) return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        m_connection, kWatcherName, kWatcherPath, kWatcherName, "RegisterStatusNotifierItem",
        g_variant_new("(s)", m_busName.c_str()), nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000,
        nullptr, nullptr);
    if (!reply) {
        Withdraw();
        return false;
    }
    g_variant_unref(reply);
    return true;
}

void SniTray::Withdraw() {
    if (m_legacy) {
        m_legacy.reset();
        return;
    }
    // The watcher drops an item whose name leaves the bus.
    if (m_ownsName) {
        CallBus(m_connection, "ReleaseName", g_variant_new("(s)", m_busName.c_str()), 1, 2);
        m_ownsName = false;
    }
}

gboolean SniTray::OnWithdraw(gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    self->m_withdrawIdle = 0;
    self->Withdraw();
    return G_SOURCE_REMOVE;
}

bool SniTray::Add(const TrayIconData& icon) {
    if (m_added) return false;
    const TrayIconData before = m_icon;
    m_icon = icon;
    if (m_withdrawIdle) {
        // Deleted and added again in one go (the controller refreshes the
        // icon on every click): the host never sees it leave.
        g_source_remove(m_withdrawIdle);
        m_withdrawIdle = 0;
        m_added = true;
        ApplyChanges(before);
        return true;
    }
    if (RegisterWithWatcher()) {
        m_added = true;
        return true;
    }
    if (m_legacyFallback && LegacyTrayIcon::HostPresent()) {
        m_legacy = std::make_unique<LegacyTrayIcon>(
            m_images, [this](TrayClick click, Point at) { Click(click, at); });
        m_legacy->Update(m_icon);
        m_added = true;
        return true;
    }
    return false;
}

bool SniTray::Modify(const TrayIconData& icon) {
    if (!m_added) return false;
    const TrayIconData before = m_icon;
    m_icon = icon;
    ApplyChanges(before);
    return true;
}

bool SniTray::Delete() {
    if (!m_added) return false;
    m_added = false;
    if (!m_withdrawIdle) m_withdrawIdle = g_idle_add(OnWithdraw, this);
    return true;
}

void SniTray::PopupMenu(const std::vector<TrayMenuItem>& items, Point at) {
    if (m_menu) m_menu->SetItems(items);
    // While the host opens its own menu, the items are all it needs.
    if (m_hostMenuOpening) return;
    PopupTrayMenu(items, at, [this](unsigned id) {
        if (m_events) m_events->OnMenuCommand(id);
    });
}

void SniTray::ApplyChanges(const TrayIconData& before) {
    if (m_legacy) {
        m_legacy->Update(m_icon);
        return;
    }
    if (before.iconId != m_icon.iconId) Emit("NewIcon");
    if (before.tooltip != m_icon.tooltip) Emit("NewToolTip");
    if (before.hidden != m_icon.hidden) Emit("NewStatus", g_variant_new("(s)", StatusText(m_icon)));
}

void SniTray::Emit(const char* signal, GVariant* args) {
    if (!m_connection) return;
    g_dbus_connection_emit_signal(m_connection, nullptr, kItemPath, kItemInterface, signal, args,
                                  nullptr);
}

void SniTray::Click(TrayClick click, Point at) {
    if (m_events) m_events->OnTrayClick(click, at);
}

void SniTray::HostMenuAboutToShow() {
    // The host draws the menu: this is the right-button release, and the
    // menu is built for the state of the moment.
    if (!m_events) return;
    m_hostMenuOpening = true;
    std::vector<TrayMenuItem> items = m_events->OnMenuRequest();
    m_hostMenuOpening = false;
    if (!items.empty()) m_menu->SetItems(items);
}

GVariant* SniTray::Pixmaps(int iconId) {
    auto it = m_pixmaps.find(iconId);
    if (it == m_pixmaps.end()) {
        it = m_pixmaps.emplace(iconId, g_variant_ref_sink(m_images.Pixmaps(iconId))).first;
    }
    return g_variant_ref(it->second);
}

void SniTray::OnWatcherAppeared(GDBusConnection*, const char*, const char*, gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    if (self->m_legacy) {
        // A real tray host is back: move over to it.
        if (self->m_withdrawIdle) g_source_remove(self->m_withdrawIdle);
        self->m_withdrawIdle = 0;
        self->m_legacy.reset();
        self->m_added = false;
    }
    if (!self->m_added && self->m_events) self->m_events->OnHostRestarted();
}

void SniTray::OnWatcherVanished(GDBusConnection*, const char*, gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    if (self->m_legacy) return;
    // The host is gone and with it every item it showed.
    if (self->m_withdrawIdle) g_source_remove(self->m_withdrawIdle);
    self->m_withdrawIdle = 0;
    self->m_added = false;
}

void SniTray::OnMethodCall(GDBusConnection*, const char*, const char*, const char*,
                           const char* method, GVariant* params, GDBusMethodInvocation* invocation,
                           gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    const std::string name = method;
    Point at;
    if (name != "Scroll") g_variant_get(params, "(ii)", &at.x, &at.y);
    // Answer first: what a click starts may run a modal dialog.
    g_dbus_method_invocation_return_value(invocation, nullptr);
    if (name == "Activate") {
        self->Click(TrayClick::LeftUp, at);
    } else if (name == "ContextMenu") {
        self->Click(TrayClick::RightUp, at);
    } else if (name == "SecondaryActivate") {
        self->Click(TrayClick::Other, at);
    }
}

GVariant* SniTray::OnGetProperty(GDBusConnection*, const char*, const char*, const char*,
                                 const char* name, GError** error, gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    const std::string prop = name;
    const TrayIconData& icon = self->m_icon;
    if (prop == "Category") return g_variant_new_string("Communications");
    if (prop == "Id") return g_variant_new_string("murmel-alarm");
    if (prop == "Title") return g_variant_new_string("Murmel Alarm");
    if (prop == "Status") return g_variant_new_string(StatusText(icon));
    if (prop == "WindowId") return g_variant_new_int32(0);
    if (prop == "IconThemePath") return g_variant_new_string(self->m_images.ThemePath().c_str());
    if (prop == "IconName") return g_variant_new_string(TrayImages::IconName(icon.iconId));
    if (prop == "IconPixmap") return self->Pixmaps(icon.iconId);
    if (prop == "OverlayIconName" || prop == "AttentionIconName" || prop == "AttentionMovieName") {
        return g_variant_new_string("");
    }
    if (prop == "OverlayIconPixmap" || prop == "AttentionIconPixmap") return NoPixmaps();
    if (prop == "ToolTip") {
        return g_variant_new("(s@a(iiay)ss)", "", NoPixmaps(), icon.tooltip.c_str(), "");
    }
    if (prop == "ItemIsMenu") return g_variant_new_boolean(FALSE);
    if (prop == "Menu") return g_variant_new_object_path(DbusMenu::kPath);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "%s", name);
    return nullptr;
}
