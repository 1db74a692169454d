// The tray adapter on a real session bus, against a StatusNotifierWatcher
// played by the test on a thread and connection of its own.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "notify/CSystemTray.h"
#include "platform/linux/SniTray.h"

namespace {

const char kWatcherXml[] = R"xml(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>)xml";

// Runs the main context until pred holds; false when it never does.
template <typename Pred>
bool SpinUntil(Pred pred) {
    for (int i = 0; i < 2500; ++i) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (pred()) return true;
        g_usleep(2000);
    }
    return pred();
}

void SpinIdle() {
    for (int i = 0; i < 20; ++i) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(2000);
    }
}

// A tray host's watcher: keeps the registered items and drops an item whose
// name leaves the bus, as desktop watchers do.
class TestWatcher {
public:
    // How it answers an item's registration.
    enum class Answer { Accept, Refuse, Never };

    ~TestWatcher() { Stop(); }

    // Set before Start.
    bool hostRegistered = true;
    Answer answer = Answer::Accept;

    // A tray host starts and registers with the watcher.
    void RegisterHost() {
        {
            std::lock_guard lock(m_mutex);
            hostRegistered = true;
        }
        g_dbus_connection_emit_signal(m_connection, nullptr, "/StatusNotifierWatcher",
                                      "org.kde.StatusNotifierWatcher",
                                      "StatusNotifierHostRegistered", nullptr, nullptr);
    }

    void Start() {
        std::unique_lock lock(m_mutex);
        m_ready = false;
        m_thread = std::thread([this] { Run(); });
        m_changed.wait(lock, [this] { return m_ready; });
    }

    void Stop() {
        if (!m_thread.joinable()) return;
        g_main_loop_quit(m_loop);
        m_thread.join();
    }

    std::vector<std::string> Items() {
        std::lock_guard lock(m_mutex);
        return m_items;
    }
    int Registrations() {
        std::lock_guard lock(m_mutex);
        return m_registrations;
    }
    bool Holds(const std::string& name) {
        auto items = Items();
        return std::find(items.begin(), items.end(), name) != items.end();
    }

private:
    void Run() {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        m_loop = g_main_loop_new(context, FALSE);
        gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        g_free(address);
        m_connection = connection;
        static const GDBusInterfaceVTable vtable = {OnCall, OnProperty, nullptr, {}};
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
        guint object =
            g_dbus_connection_register_object(connection, "/StatusNotifierWatcher",
                                              node->interfaces[0], &vtable, this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        GVariant* reply = g_dbus_connection_call_sync(
            connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 4u),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (reply) g_variant_unref(reply);
        {
            std::lock_guard lock(m_mutex);
            m_ready = true;
        }
        m_changed.notify_all();

        g_main_loop_run(m_loop);

        for (guint watch : m_watches) g_bus_unwatch_name(watch);
        m_watches.clear();
        for (GDBusMethodInvocation* held : m_held)
            g_dbus_method_invocation_return_dbus_error(held, "org.test.Gone", "stopped");
        m_held.clear();
        g_dbus_connection_unregister_object(connection, object);
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_object_unref(connection);
        {
            std::lock_guard lock(m_mutex);
            m_items.clear();
        }
        g_main_loop_unref(m_loop);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }

    static void OnItemVanished(GDBusConnection*, const char* name, gpointer data) {
        auto* self = static_cast<TestWatcher*>(data);
        std::lock_guard lock(self->m_mutex);
        std::erase(self->m_items, std::string(name));
    }

    static void OnCall(GDBusConnection* connection, const char*, const char*, const char*,
                       const char* method, GVariant* params, GDBusMethodInvocation* invocation,
                       gpointer data) {
        auto* self = static_cast<TestWatcher*>(data);
        if (std::string(method) == "RegisterStatusNotifierItem" && self->answer == Answer::Never) {
            self->m_held.push_back(invocation);  // answered when the watcher stops
            return;
        }
        if (std::string(method) == "RegisterStatusNotifierItem" && self->answer == Answer::Refuse) {
            g_dbus_method_invocation_return_dbus_error(invocation, "org.test.Refused", "no");
            return;
        }
        if (std::string(method) == "RegisterStatusNotifierItem") {
            const char* service = nullptr;
            g_variant_get(params, "(&s)", &service);
            {
                std::lock_guard lock(self->m_mutex);
                self->m_items.push_back(service);
                ++self->m_registrations;
            }
            self->m_watches.push_back(
                g_bus_watch_name_on_connection(connection, service, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                               nullptr, OnItemVanished, self, nullptr));
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    static GVariant* OnProperty(GDBusConnection*, const char*, const char*, const char*,
                                const char* name, GError**, gpointer data) {
        auto* self = static_cast<TestWatcher*>(data);
        const std::string prop = name;
        if (prop == "IsStatusNotifierHostRegistered") {
            std::lock_guard lock(self->m_mutex);
            return g_variant_new_boolean(self->hostRegistered);
        }
        if (prop == "ProtocolVersion") return g_variant_new_int32(0);
        GVariantBuilder items;
        g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
        std::lock_guard lock(self->m_mutex);
        for (const auto& item : self->m_items) g_variant_builder_add(&items, "s", item.c_str());
        return g_variant_builder_end(&items);
    }

    std::thread m_thread;
    GMainLoop* m_loop = nullptr;
    GDBusConnection* m_connection = nullptr;
    std::vector<guint> m_watches;                // watcher thread only
    std::vector<GDBusMethodInvocation*> m_held;  // watcher thread only
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ready = false;
    std::vector<std::string> m_items;
    int m_registrations = 0;
};

// What the controller does with the icon's events, recorded.
struct Controller : ITrayEvents {
    std::vector<std::pair<TrayClick, Point>> clicks;
    std::vector<unsigned> commands;
    std::vector<TrayMenuItem> menu;
    int menuRequests = 0;
    int restarts = 0;
    // Set: the right click pops the menu up, and so does a menu request,
    // which then returns nothing.
    ITray* popupTray = nullptr;

    void OnTrayClick(TrayClick click, Point at) override {
        clicks.emplace_back(click, at);
        if (click == TrayClick::RightUp && popupTray) popupTray->PopupMenu(menu, at);
    }
    std::vector<TrayMenuItem> OnMenuRequest() override {
        ++menuRequests;
        if (!popupTray) return menu;
        popupTray->PopupMenu(menu, {});
        return {};
    }
    void OnMenuCommand(unsigned id) override { commands.push_back(id); }
    void OnHostRestarted() override { ++restarts; }
};

const std::vector<TrayMenuItem> kSignedInMenu = {{32785, "first_last@example.com"},
                                                 {0, ""},
                                                 {32776, "Open"},
                                                 {32786, "Sign Out"},
                                                 {32778, "Settings"},
                                                 {0, ""},
                                                 {32779, "Quit"}};

class SniTrayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gtk_init(nullptr, nullptr); }

    void SetUp() override {
        m_client = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        ASSERT_NE(m_client, nullptr);
    }
    void TearDown() override {
        for (guint s : m_subscriptions) g_dbus_connection_signal_unsubscribe(m_client, s);
        g_object_unref(m_client);
    }

    // Calls a method of the item's connection, running the loop that serves it.
    GVariant* Call(const char* path, const char* iface, const char* method, GVariant* args,
                   GError** error = nullptr) {
        struct Result {
            bool done = false;
            GVariant* value = nullptr;
            GError* error = nullptr;
        } result;
        g_dbus_connection_call(
            m_client, tray->BusName().c_str(), path, iface, method, args, nullptr,
            G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
            [](GObject* source, GAsyncResult* res, gpointer data) {
                auto* r = static_cast<Result*>(data);
                r->value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), res, &r->error);
                r->done = true;
            },
            &result);
        EXPECT_TRUE(SpinUntil([&] { return result.done; }));
        if (result.error) {
            if (error) {
                *error = result.error;
            } else {
                ADD_FAILURE() << method << ": " << result.error->message;
                g_error_free(result.error);
            }
        }
        return result.value;
    }

    GVariant* ItemProperty(const char* name) {
        GVariant* reply = Call(SniTray::kItemPath, "org.freedesktop.DBus.Properties", "Get",
                               g_variant_new("(ss)", "org.kde.StatusNotifierItem", name));
        if (!reply) return nullptr;
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        g_variant_unref(reply);
        return value;
    }

    std::string ItemString(const char* name) {
        GVariant* value = ItemProperty(name);
        if (!value) return "<none>";
        std::string text = g_variant_is_of_type(value, G_VARIANT_TYPE_STRING) ||
                                   g_variant_is_of_type(value, G_VARIANT_TYPE_OBJECT_PATH)
                               ? g_variant_get_string(value, nullptr)
                               : "<not a string>";
        g_variant_unref(value);
        return text;
    }

    GVariant* Menu(const char* method, GVariant* args) {
        return Call(DbusMenu::kPath, "com.canonical.dbusmenu", method, args);
    }

    // Counts the signals of one member the item sends.
    int* CountSignals(const char* member) {
        auto* count = new int(0);
        m_counters.emplace_back(count);
        m_subscriptions.push_back(g_dbus_connection_signal_subscribe(
            m_client, nullptr, "org.kde.StatusNotifierItem", member, SniTray::kItemPath, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
               gpointer data) { ++*static_cast<int*>(data); },
            count, nullptr));
        return count;
    }

    // Installs the icon through the core on a fresh adapter.
    bool Install(int iconId, bool legacyFallback = false) {
        tray = std::make_unique<SniTray>(std::string{}, legacyFallback);
        icon = std::make_unique<CSystemTray>(*tray);
        return icon->Install(&controller, "Murmel Alarm", iconId);
    }

    // The watcher lists the item: the host shows it.
    bool Shown() {
        return SpinUntil([&] { return watcher.Holds(tray->BusName()); });
    }

    bool AboutToShow() {
        GVariant* reply = Menu("AboutToShow", g_variant_new("(i)", 0));
        if (!reply) return false;
        gboolean update = FALSE;
        g_variant_get(reply, "(b)", &update);
        g_variant_unref(reply);
        return update;
    }

    // The root's children as (label, or "-" for a separator; id).
    std::vector<std::pair<std::string, int>> Layout();

    GDBusConnection* m_client = nullptr;
    std::vector<guint> m_subscriptions;
    std::vector<std::unique_ptr<int>> m_counters;
    TestWatcher watcher;
    Controller controller;
    std::unique_ptr<SniTray> tray;
    std::unique_ptr<CSystemTray> icon;
};

// Plays an XEmbed tray: owns its selection until the widget is destroyed.
GtkWidget* PlayXEmbedTray() {
    GtkWidget* manager = gtk_invisible_new();
    gtk_widget_realize(manager);
    if (gtk_selection_owner_set(manager, gdk_atom_intern("_NET_SYSTEM_TRAY_S0", FALSE),
                                GDK_CURRENT_TIME))
        return manager;
    gtk_widget_destroy(manager);
    return nullptr;
}

// The menu the program popped up itself, if one is shown.
GtkWidget* ShownMenu() {
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(w->data));
        if (gtk_widget_get_visible(GTK_WIDGET(w->data)) && child && GTK_IS_MENU(child)) {
            found = child;
        }
    }
    g_list_free(windows);
    return found;
}

struct Pixel {
    int a, r, g, b;
};

Pixel PixelAt(GVariant* pixmap, int x, int y) {
    gint32 width = 0;
    gint32 height = 0;
    GVariant* bytes = nullptr;
    g_variant_get(pixmap, "(ii@ay)", &width, &height, &bytes);
    gsize size = 0;
    const auto* data = static_cast<const guchar*>(g_variant_get_fixed_array(bytes, &size, 1));
    const guchar* p = data + (static_cast<gsize>(y) * width + x) * 4;
    Pixel pixel{p[0], p[1], p[2], p[3]};
    g_variant_unref(bytes);
    return pixel;
}

TEST_F(SniTrayTest, RegistersAndShowsImageTooltipAndMenu) {
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedIn));
    EXPECT_TRUE(Shown());
    EXPECT_EQ(tray->BusName().rfind("org.kde.StatusNotifierItem-", 0), 0u);

    EXPECT_EQ(ItemString("Category"), "Communications");
    EXPECT_EQ(ItemString("Status"), "Active");
    EXPECT_EQ(ItemString("IconName"), "murmel-alarm-signed-in");
    EXPECT_EQ(ItemString("Menu"), "/MenuBar");
    const std::string themePath = ItemString("IconThemePath");
    EXPECT_TRUE(
        std::filesystem::exists(themePath + "/hicolor/scalable/apps/murmel-alarm-signed-in.svg"));
    EXPECT_TRUE(std::filesystem::exists(themePath + "/murmel-alarm-new-message.svg"));

    GVariant* isMenu = ItemProperty("ItemIsMenu");
    ASSERT_NE(isMenu, nullptr);
    EXPECT_FALSE(g_variant_get_boolean(isMenu));
    g_variant_unref(isMenu);

    GVariant* tip = ItemProperty("ToolTip");
    ASSERT_NE(tip, nullptr);
    const char* title = nullptr;
    g_variant_get(tip, "(&s@a(iiay)&s&s)", nullptr, nullptr, &title, nullptr);
    EXPECT_STREQ(title, "Murmel Alarm");
    g_variant_unref(tip);

    // Pixels travel as A, R, G, B: the signed-in bubble is opaque and blue,
    // the corner outside it transparent.
    GVariant* pixmaps = ItemProperty("IconPixmap");
    ASSERT_NE(pixmaps, nullptr);
    ASSERT_GE(g_variant_n_children(pixmaps), 2u);
    for (gsize i = 0; i < g_variant_n_children(pixmaps); ++i) {
        GVariant* pixmap = g_variant_get_child_value(pixmaps, i);
        gint32 w = 0;
        gint32 h = 0;
        GVariant* bytes = nullptr;
        g_variant_get(pixmap, "(ii@ay)", &w, &h, &bytes);
        EXPECT_EQ(g_variant_get_size(bytes), static_cast<gsize>(w) * h * 4);
        g_variant_unref(bytes);
        const Pixel inside = PixelAt(pixmap, w / 6, h / 2);
        EXPECT_EQ(inside.a, 255);
        EXPECT_GT(inside.b, inside.r + 60) << "pixmap " << w;
        EXPECT_EQ(PixelAt(pixmap, w - 1, h - 1).a, 0);
        g_variant_unref(pixmap);
    }
    g_variant_unref(pixmaps);
}

TEST_F(SniTrayTest, ImageAndTooltipChangesReachTheHost) {
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedIn));
    ASSERT_TRUE(Shown());
    int* newIcon = CountSignals("NewIcon");
    int* newTip = CountSignals("NewToolTip");

    ASSERT_TRUE(icon->ChangeIcon(CSystemTray::kIconNewMessage));
    EXPECT_TRUE(SpinUntil([&] { return *newIcon == 1; }));
    EXPECT_EQ(ItemString("IconName"), "murmel-alarm-new-message");

    // A refresh removes and installs again; the host keeps the item and only
    // hears what changed.
    icon->RemoveFromTray();
    ASSERT_TRUE(icon->Install(&controller, "Murmel Alarm Test", CSystemTray::kIconSignedIn));
    ASSERT_TRUE(icon->RevealIcon());
    EXPECT_TRUE(SpinUntil([&] { return *newIcon == 2 && *newTip == 1; }));
    SpinIdle();
    EXPECT_TRUE(watcher.Holds(tray->BusName()));
    EXPECT_EQ(watcher.Registrations(), 1);
    EXPECT_EQ(ItemString("IconName"), "murmel-alarm-signed-in");

    int* newStatus = CountSignals("NewStatus");
    ASSERT_TRUE(tray->Modify({CSystemTray::kIconSignedIn, "Murmel Alarm Test", true}));
    EXPECT_TRUE(SpinUntil([&] { return *newStatus == 1; }));
    EXPECT_EQ(ItemString("Status"), "Passive");
    ASSERT_TRUE(tray->Modify({CSystemTray::kIconSignedIn, "Murmel Alarm Test", false}));

    // A removal that is not followed by an add takes the item away.
    ASSERT_TRUE(icon->RemoveFromTray());
    EXPECT_TRUE(SpinUntil([&] { return !watcher.Holds(tray->BusName()); }));
    EXPECT_FALSE(tray->Modify({CSystemTray::kIconSignedIn, "x", false}));
    ASSERT_TRUE(icon->RevealIcon());
    EXPECT_TRUE(SpinUntil([&] { return watcher.Holds(tray->BusName()); }));
}

TEST_F(SniTrayTest, ActivateAndContextMenuAreButtonReleases) {
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedOut));

    g_variant_unref(Call(SniTray::kItemPath, "org.kde.StatusNotifierItem", "Activate",
                         g_variant_new("(ii)", 100, 700)));
    g_variant_unref(Call(SniTray::kItemPath, "org.kde.StatusNotifierItem", "ContextMenu",
                         g_variant_new("(ii)", 120, 710)));
    g_variant_unref(Call(SniTray::kItemPath, "org.kde.StatusNotifierItem", "SecondaryActivate",
                         g_variant_new("(ii)", 1, 2)));
    ASSERT_EQ(controller.clicks.size(), 3u);
    EXPECT_EQ(controller.clicks[0].first, TrayClick::LeftUp);
    EXPECT_EQ(controller.clicks[0].second, (Point{100, 700}));
    EXPECT_EQ(controller.clicks[1].first, TrayClick::RightUp);
    EXPECT_EQ(controller.clicks[1].second, (Point{120, 710}));
    EXPECT_EQ(controller.clicks[2].first, TrayClick::Other);
}

std::vector<std::pair<std::string, int>> SniTrayTest::Layout() {
    std::vector<std::pair<std::string, int>> out;
    GVariant* reply =
        Menu("GetLayout", g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
    if (!reply) return out;
    GVariant* root = nullptr;
    g_variant_get(reply, "(u@(ia{sv}av))", nullptr, &root);
    g_variant_unref(reply);
    GVariant* children = g_variant_get_child_value(root, 2);
    for (gsize i = 0; i < g_variant_n_children(children); ++i) {
        GVariant* boxed = g_variant_get_child_value(children, i);
        GVariant* child = g_variant_get_variant(boxed);
        gint32 id = 0;
        GVariant* props = nullptr;
        g_variant_get(child, "(i@a{sv}av)", &id, &props, nullptr);
        const char* type = nullptr;
        const char* label = nullptr;
        if (g_variant_lookup(props, "type", "&s", &type) && std::string(type) == "separator") {
            out.emplace_back("-", id);
        } else {
            g_variant_lookup(props, "label", "&s", &label);
            out.emplace_back(label ? label : "<no label>", id);
        }
        g_variant_unref(props);
        g_variant_unref(child);
        g_variant_unref(boxed);
    }
    g_variant_unref(children);
    g_variant_unref(root);
    return out;
}

TEST_F(SniTrayTest, HostMenuIsBuiltWhenItOpensAndSendsCommands) {
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedIn));
    // A host that asks for the layout before ever opening the menu gets the
    // menu of the moment.
    controller.menu = {{32780, "Sign In"}, {32791, "Settings"}, {0, ""}, {32783, "Quit"}};
    EXPECT_EQ(Layout().size(), 4u);
    EXPECT_EQ(controller.menuRequests, 1);

    // Signed in since: opening the menu builds it anew, and that is the
    // right click; a later layout request is answered from it.
    controller.menu = kSignedInMenu;
    EXPECT_TRUE(AboutToShow());
    EXPECT_EQ(controller.menuRequests, 2);
    EXPECT_TRUE(controller.clicks.empty());

    const auto items = Layout();
    const std::vector<std::pair<std::string, int>> expected = {{"first__last@example.com", 32785},
                                                               {"-", 1},
                                                               {"Open", 32776},
                                                               {"Sign Out", 32786},
                                                               {"Settings", 32778},
                                                               {"-", 2},
                                                               {"Quit", 32779}};
    EXPECT_EQ(items, expected);
    EXPECT_EQ(controller.menuRequests, 2);

    // The same menu again needs no update; clicks on items reach the
    // controller, other events and separators do nothing.
    EXPECT_FALSE(AboutToShow());
    for (auto [id, event] :
         {std::pair{32779, "clicked"}, {1, "clicked"}, {32776, "hovered"}, {32776, "clicked"}}) {
        g_variant_unref(
            Menu("Event", g_variant_new("(isvu)", id, event, g_variant_new_int32(0), 0u)));
    }
    EXPECT_EQ(controller.commands, (std::vector<unsigned>{32779, 32776}));
}

TEST_F(SniTrayTest, MenuPoppedUpWhileTheHostOpensItsOwnBecomesTheHostMenu) {
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedOut));
    controller.menu = {{32780, "Sign In"}, {32791, "Settings"}, {0, ""}, {32783, "Quit"}};
    controller.popupTray = tray.get();

    EXPECT_TRUE(AboutToShow());
    const auto items = Layout();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].first, "Sign In");
    EXPECT_EQ(items[2].first, "-");

    // The host draws that menu; the program must not pop up one of its own.
    SpinIdle();
    EXPECT_EQ(ShownMenu(), nullptr);
}

TEST_F(SniTrayTest, ContextMenuPopsUpTheProgramsOwnMenu) {
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedOut));
    controller.menu = {{32780, "Sign In"}, {32791, "Settings"}, {0, ""}, {32783, "Quit"}};
    controller.popupTray = tray.get();

    g_variant_unref(Call(SniTray::kItemPath, "org.kde.StatusNotifierItem", "ContextMenu",
                         g_variant_new("(ii)", 400, 300)));
    GtkWidget* menu = nullptr;
    ASSERT_TRUE(SpinUntil([&] { return (menu = ShownMenu()) != nullptr; }));
    GList* entries = gtk_container_get_children(GTK_CONTAINER(menu));
    ASSERT_EQ(g_list_length(entries), 4u);
    EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(g_list_nth_data(entries, 0))), "Sign In");
    EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(g_list_nth_data(entries, 2)));
    gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu), GTK_WIDGET(g_list_nth_data(entries, 3)),
                                 TRUE);
    g_list_free(entries);
    EXPECT_EQ(controller.commands, std::vector<unsigned>{32783});
    EXPECT_TRUE(SpinUntil([&] { return ShownMenu() == nullptr; }));
}

TEST_F(SniTrayTest, WatcherRestartGetsTheItemBackWithItsImage) {
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedIn));
    ASSERT_TRUE(icon->ChangeIcon(CSystemTray::kIconNewMessage));
    ASSERT_TRUE(icon->RevealIcon());
    SpinIdle();

    watcher.Stop();
    SpinIdle();
    watcher.Start();
    EXPECT_TRUE(SpinUntil([&] { return watcher.Holds(tray->BusName()); }));
    EXPECT_EQ(controller.restarts, 1);
    EXPECT_EQ(ItemString("IconName"), "murmel-alarm-new-message");
    EXPECT_FALSE(icon->IsHidden());
    EXPECT_FALSE(icon->IsAddPending());
}

TEST_F(SniTrayTest, IconInstalledWithoutWatcherAppearsWhenOneStarts) {
    EXPECT_FALSE(Install(CSystemTray::kIconSignedOut));
    EXPECT_TRUE(icon->IsAddPending());
    SpinIdle();

    watcher.Start();
    EXPECT_TRUE(SpinUntil([&] { return watcher.Holds(tray->BusName()); }));
    EXPECT_FALSE(icon->IsHidden());
    EXPECT_FALSE(icon->IsAddPending());
    EXPECT_EQ(ItemString("IconName"), "murmel-alarm-signed-out");
}

TEST_F(SniTrayTest, XEmbedTrayStandsInUntilAWatcherStarts) {
    GdkDisplay* display = gdk_display_get_default();
    ASSERT_TRUE(display);
    ASSERT_STREQ(G_OBJECT_TYPE_NAME(display), "GdkX11Display");
    {
        SniTray probe({}, true);
        EXPECT_FALSE(probe.Add({CSystemTray::kIconSignedOut, "Murmel Alarm", false}));
    }

    GtkWidget* manager = PlayXEmbedTray();
    ASSERT_NE(manager, nullptr);

    EXPECT_TRUE(Install(CSystemTray::kIconSignedIn, true));
    EXPECT_TRUE(icon->ChangeIcon(CSystemTray::kIconNewMessage));
    SpinIdle();

    watcher.Start();
    EXPECT_TRUE(SpinUntil([&] { return watcher.Holds(tray->BusName()); }));
    EXPECT_EQ(controller.restarts, 1);
    EXPECT_EQ(ItemString("IconName"), "murmel-alarm-new-message");
    gtk_widget_destroy(manager);
}

TEST_F(SniTrayTest, AWatcherWithoutAHostIsNoTrayUntilAHostRegisters) {
    for (bool xembed : {false, true}) {
        SCOPED_TRACE(xembed ? "an XEmbed tray runs" : "no XEmbed tray");
        GtkWidget* manager = xembed ? PlayXEmbedTray() : nullptr;
        ASSERT_EQ(manager != nullptr, xembed);
        const int restarts = controller.restarts;
        watcher.hostRegistered = false;
        watcher.Start();
        Install(CSystemTray::kIconSignedIn, true);
        // Once the watcher has said it has no host, the item is withdrawn or
        // the XEmbed icon stands in; the watcher never lists it.
        const TrayIconData data{CSystemTray::kIconSignedIn, "Murmel Alarm", false};
        ASSERT_TRUE(SpinUntil([&] { return xembed ? tray->StandsIn() : !tray->Modify(data); }));
        SpinIdle();
        EXPECT_FALSE(watcher.Holds(tray->BusName()));

        watcher.RegisterHost();
        EXPECT_TRUE(Shown());
        EXPECT_FALSE(tray->StandsIn());
        EXPECT_EQ(controller.restarts, restarts + 1);
        EXPECT_EQ(ItemString("IconName"), "murmel-alarm-signed-in");
        icon.reset();
        tray.reset();
        watcher.Stop();
        if (manager) gtk_widget_destroy(manager);
    }
}

TEST_F(SniTrayTest, TheUiThreadDoesNotWaitForTheWatcherToRegister) {
    // A watcher that never answers: the item is added at once and keeps
    // answering the bus while the registration is on its way.
    watcher.answer = TestWatcher::Answer::Never;
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedOut));
    EXPECT_EQ(ItemString("IconName"), "murmel-alarm-signed-out");
    EXPECT_TRUE(icon->ChangeIcon(CSystemTray::kIconNewMessage));
    icon.reset();
    tray.reset();
    watcher.Stop();

    // One that refuses: the item is shown nowhere, as without a watcher.
    watcher.answer = TestWatcher::Answer::Refuse;
    watcher.Start();
    ASSERT_TRUE(Install(CSystemTray::kIconSignedOut));
    const TrayIconData data{CSystemTray::kIconSignedOut, "Murmel Alarm", false};
    EXPECT_TRUE(SpinUntil([&] { return !tray->Modify(data); }));
}

TEST(TrayImagesTest, RendersTheThreeImages) {
    TrayImages images;
    ASSERT_FALSE(images.ThemePath().empty());
    const int size = 64;
    GdkPixbuf* sheet = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, size * 3 + 32, size + 16);
    gdk_pixbuf_fill(sheet, 0xf2f2f2ff);
    int x = 8;
    for (int id :
         {CSystemTray::kIconSignedIn, CSystemTray::kIconSignedOut, CSystemTray::kIconNewMessage}) {
        GdkPixbuf* image = images.Render(id, size);
        ASSERT_NE(image, nullptr) << id;
        EXPECT_EQ(gdk_pixbuf_get_width(image), size);
        gdk_pixbuf_composite(image, sheet, x, 8, size, size, x, 8, 1, 1, GDK_INTERP_BILINEAR, 255);
        g_object_unref(image);
        x += size + 8;
    }
    std::filesystem::create_directories(MURMEL_TEST_ARTIFACTS);
    EXPECT_TRUE(
        gdk_pixbuf_save(sheet, MURMEL_TEST_ARTIFACTS "/tray-icons.png", "png", nullptr, nullptr));
    g_object_unref(sheet);
    // The sizes handed out come ready-made, and any other is still rendered.
    for (int id : {CSystemTray::kIconSignedIn, CSystemTray::kIconNewMessage})
        for (int size : {16, 22, 32, 48, 128, 40}) {
            GdkPixbuf* image = images.Render(id, size);
            ASSERT_NE(image, nullptr) << id << " at " << size;
            EXPECT_EQ(gdk_pixbuf_get_width(image), size) << id;
            EXPECT_EQ(gdk_pixbuf_get_height(image), size) << id;
            EXPECT_TRUE(gdk_pixbuf_get_has_alpha(image)) << id;
            g_object_unref(image);
        }
}

}  // namespace
