#include "platform/linux/SniTray.h"

#include <unistd.h>

#include "platform/linux/LegacyTrayIcon.h"
#include "platform/linux/ResourceText.h"

namespace {

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

// A call to the watcher on its way. Its answer may come after the tray is
// gone, reported with whatever error the connection's end gave it; the
// cancellable, cancelled first thing by the destructor, tells.
struct SniTray::PendingCall {
    explicit PendingCall(SniTray* self)
        : self(self),
          generation(self->m_watcherGeneration),
          cancel(G_CANCELLABLE(g_object_ref(self->m_cancel))) {}
    ~PendingCall() { g_object_unref(cancel); }
    PendingCall(const PendingCall&) = delete;
    PendingCall& operator=(const PendingCall&) = delete;
    bool Stale() const {
        return g_cancellable_is_cancelled(cancel) || generation != self->m_watcherGeneration;
    }

    SniTray* self;
    unsigned generation;
    GCancellable* cancel;
};

SniTray::SniTray(std::string imageDir, bool legacyFallback)
    : m_legacyFallback(legacyFallback), m_images(std::move(imageDir)) {
    static int instances = 0;
    m_busName = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" +
                std::to_string(++instances);
    m_cancel = g_cancellable_new();

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
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
        ResourceText("dbus/status-notifier-item.xml").c_str(), nullptr);
    m_itemRegistration = g_dbus_connection_register_object(
        m_connection, kItemPath, node->interfaces[0], &vtable, this, nullptr, nullptr);
    g_dbus_node_info_unref(node);

    m_menu = std::make_unique<DbusMenu>(m_connection,
                                        DbusMenu::Handlers{[this] { HostMenuAboutToShow(); },
                                                           [this](unsigned id) {
                                                               if (m_events)
                                                                   m_events->OnMenuCommand(id);
                                                           }});
    m_hostSignals = g_dbus_connection_signal_subscribe(
        m_connection, kWatcherName, kWatcherName, nullptr, kWatcherPath, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, OnWatcherSignal, this, nullptr);
    // The bus itself answers who owns the watcher's name, so the first Add
    // already knows whether there is one; its host is asked without waiting.
    GVariant* owner = g_dbus_connection_call_sync(
        m_connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetNameOwner", g_variant_new("(s)", kWatcherName), G_VARIANT_TYPE("(s)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (owner) {
        const char* name = nullptr;
        g_variant_get(owner, "(&s)", &name);
        WatcherFound(name);
        g_variant_unref(owner);
    }
    m_watch =
        g_bus_watch_name_on_connection(m_connection, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                       OnWatcherAppeared, OnWatcherVanished, this, nullptr);
}

SniTray::~SniTray() {
    // Answers still on their way find nothing to report to.
    g_cancellable_cancel(m_cancel);
    g_object_unref(m_cancel);
    if (m_withdrawIdle) g_source_remove(m_withdrawIdle);
    m_legacy.reset();
    for (auto& [id, pixmaps] : m_pixmaps) g_variant_unref(pixmaps);
    if (!m_connection) return;
    g_bus_unwatch_name(m_watch);
    g_dbus_connection_signal_unsubscribe(m_connection, m_hostSignals);
    Withdraw();
    m_menu.reset();
    g_dbus_connection_unregister_object(m_connection, m_itemRegistration);
    g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
    g_object_unref(m_connection);
}

void SniTray::WatcherFound(const std::string& owner) {
    m_watcherOwner = owner;
    ++m_watcherGeneration;
    m_registered = false;
    m_host = Host::Unknown;
    AskForHost();
}

void SniTray::AskForHost() {
    // A watcher without a host takes items and shows them nowhere.
    g_dbus_connection_call(m_connection, kWatcherName, kWatcherPath,
                           "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", kWatcherName, "IsStatusNotifierHostRegistered"),
                           G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, m_cancel,
                           OnHostProperty, new PendingCall(this));
}

void SniTray::OnHostProperty(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingCall> call(static_cast<PendingCall*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    g_clear_error(&error);
    if (call->Stale()) {
        if (reply) g_variant_unref(reply);
        return;
    }
    SniTray* self = call->self;
    bool present = true;  // a watcher that cannot say is taken at its word
    if (reply) {
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN))
            present = g_variant_get_boolean(value);
        g_variant_unref(value);
        g_variant_unref(reply);
    }
    if (!self->m_watcherOwner.empty()) self->HostKnown(present);
}

void SniTray::OnWatcherSignal(GDBusConnection*, const char*, const char*, const char*,
                              const char* signal, GVariant*, gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    if (self->m_watcherOwner.empty()) return;
    if (std::string(signal) == "StatusNotifierHostRegistered") {
        self->HostKnown(true);
    } else if (std::string(signal) == "StatusNotifierHostUnregistered") {
        // Another host may still be there.
        self->AskForHost();
    }
}

void SniTray::HostKnown(bool present) {
    const Host before = m_host;
    m_host = present ? Host::Present : Host::Absent;
    if (present) {
        if (before == Host::Present) return;
        if (m_legacy) {
            // A real tray host is there: move over to it.
            if (m_withdrawIdle) g_source_remove(m_withdrawIdle);
            m_withdrawIdle = 0;
            m_legacy.reset();
            m_added = false;
        }
        if (m_added) {
            RegisterWithWatcher();  // added while the watcher had not answered yet
        } else if (m_events) {
            m_events->OnHostRestarted();
        }
        return;
    }
    if (m_legacy) return;
    Withdraw();
    if (!m_added) return;
    m_added = false;
    // Shown nowhere: stand in where an XEmbed tray runs. The core already
    // takes the icon for added, so a stand-in is made here, not on its Add.
    FallBack();
}

bool SniTray::OwnName() {
    if (!m_connection) return false;
    // 1: now the owner, 4: owner already. The bus answers this itself.
    if (!m_ownsName)
        m_ownsName = CallBus(m_connection, "RequestName",
                             g_variant_new("(su)", m_busName.c_str(), 4u), 1, 4);
    return m_ownsName;
}

void SniTray::RegisterWithWatcher() {
    if (m_registered || !OwnName()) return;
    m_registered = true;
    // The watcher is another program and may be slow or hung: the UI thread
    // does not wait for it.
    g_dbus_connection_call(m_connection, kWatcherName, kWatcherPath, kWatcherName,
                           "RegisterStatusNotifierItem", g_variant_new("(s)", m_busName.c_str()),
                           nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, m_cancel, OnRegistered,
                           new PendingCall(this));
}

void SniTray::OnRegistered(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingCall> call(static_cast<PendingCall*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    g_clear_error(&error);
    if (reply) {
        g_variant_unref(reply);
        return;
    }
    if (call->Stale()) return;
    SniTray* self = call->self;
    if (!self->m_registered) return;
    // Refused or no answer in time: the item is shown nowhere.
    self->Withdraw();
    if (!self->m_added) return;
    self->m_added = false;
    self->FallBack();
}

bool SniTray::FallBack() {
    if (!m_legacyFallback || !LegacyTrayIcon::HostPresent()) return false;
    m_legacy = std::make_unique<LegacyTrayIcon>(
        m_images, [this](TrayClick click, Point at) { Click(click, at); });
    m_legacy->Update(m_icon);
    m_added = true;
    return true;
}

void SniTray::Withdraw() {
    if (m_legacy) {
        m_legacy.reset();
        return;
    }
    m_registered = false;
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
    switch (m_host) {
        case Host::Present:
            RegisterWithWatcher();
            if (!m_registered) return FallBack();
            m_added = true;
            return true;
        case Host::Unknown:
            // Registered at once rather than once the watcher has said
            // whether a host shows its items: that answer is handled only
            // when the loop runs, which at start-up is after every window is
            // made. Without a host, the answer withdraws the item again.
            RegisterWithWatcher();
            if (!m_registered) return false;
            m_added = true;
            return true;
        case Host::Absent:
            break;
    }
    return FallBack();
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

void SniTray::SetMenu(const std::vector<TrayMenuItem>& items) {
    if (m_menu) m_menu->SetItems(items);
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

void SniTray::OnWatcherAppeared(GDBusConnection*, const char*, const char* owner, gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    // The first report of a watcher found at construction changes nothing.
    if (self->m_watcherOwner != owner) self->WatcherFound(owner);
}

void SniTray::OnWatcherVanished(GDBusConnection*, const char*, gpointer data) {
    auto* self = static_cast<SniTray*>(data);
    self->m_watcherOwner.clear();
    ++self->m_watcherGeneration;
    self->m_host = Host::Absent;
    self->m_registered = false;
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
