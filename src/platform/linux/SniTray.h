#pragma once
// The tray port as a StatusNotifierItem with a dbusmenu, on a bus connection
// of its own. Add registers the item with the StatusNotifierWatcher, without
// waiting for its answer, and fails while no watcher with a tray host runs; a
// host appearing later is the host restart the core re-adds its icon on. On
// X11 with no host, an XEmbed tray icon (GtkStatusIcon) stands in when an
// XEmbed tray runs.
#include <gio/gio.h>

#include <map>
#include <memory>
#include <string>

#include "platform/Tray.h"
#include "platform/linux/DbusMenu.h"
#include "platform/linux/TrayImages.h"

class LegacyTrayIcon;

class SniTray : public ITray {
public:
    static constexpr const char* kItemPath = "/StatusNotifierItem";
    static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

    // imageDir: where the images are written for the host (empty: the
    // runtime directory). legacyFallback: allow the XEmbed stand-in.
    explicit SniTray(std::string imageDir = {}, bool legacyFallback = true);
    ~SniTray() override;
    SniTray(const SniTray&) = delete;
    SniTray& operator=(const SniTray&) = delete;

    void SetEvents(ITrayEvents* events) override { m_events = events; }
    bool Add(const TrayIconData& icon) override;
    bool Modify(const TrayIconData& icon) override;
    bool Delete() override;
    void PopupMenu(const std::vector<TrayMenuItem>& items, Point at) override;
    void SetMenu(const std::vector<TrayMenuItem>& items) override;

    // The item's well-known name on the session bus.
    const std::string& BusName() const { return m_busName; }
    const TrayImages& Images() const { return m_images; }
    // The XEmbed icon shows the item in place of a host.
    bool StandsIn() const { return m_legacy != nullptr; }

private:
    static void OnMethodCall(GDBusConnection*, const char* sender, const char* path,
                             const char* iface, const char* method, GVariant* params,
                             GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* OnGetProperty(GDBusConnection*, const char* sender, const char* path,
                                   const char* iface, const char* name, GError** error,
                                   gpointer self);
    static void OnWatcherAppeared(GDBusConnection*, const char* name, const char* owner,
                                  gpointer self);
    static void OnWatcherVanished(GDBusConnection*, const char* name, gpointer self);
    static void OnWatcherSignal(GDBusConnection*, const char* sender, const char* path,
                                const char* iface, const char* signal, GVariant* params,
                                gpointer self);
    static void OnHostProperty(GObject* source, GAsyncResult* result, gpointer call);
    static void OnRegistered(GObject* source, GAsyncResult* result, gpointer call);
    static gboolean OnWithdraw(gpointer self);

    // Whether the watcher has a tray host that shows items: not known until
    // it answered, absent without a watcher.
    enum class Host { Unknown, Absent, Present };
    struct PendingCall;

    void WatcherFound(const std::string& owner);
    void AskForHost();
    void HostKnown(bool present);
    bool OwnName();
    void RegisterWithWatcher();
    bool FallBack();
    void Withdraw();
    void Emit(const char* signal, GVariant* args = nullptr);
    void ApplyChanges(const TrayIconData& before);
    void HostMenuAboutToShow();
    void Click(TrayClick click, Point at);
    GVariant* Pixmaps(int iconId);

    GDBusConnection* m_connection = nullptr;
    std::string m_busName;
    bool m_ownsName = false;
    guint m_itemRegistration = 0;
    guint m_watch = 0;
    guint m_hostSignals = 0;
    std::string m_watcherOwner;  // the watcher's unique name; empty: none
    Host m_host = Host::Absent;
    unsigned m_watcherGeneration = 0;  // answers of an earlier watcher are stale
    bool m_registered = false;         // registration sent to the current watcher
    GCancellable* m_cancel = nullptr;
    std::unique_ptr<DbusMenu> m_menu;
    std::unique_ptr<LegacyTrayIcon> m_legacy;
    bool m_legacyFallback;
    TrayImages m_images;
    std::map<int, GVariant*> m_pixmaps;  // rendered once per image

    ITrayEvents* m_events = nullptr;
    TrayIconData m_icon;
    bool m_added = false;      // the host shows the item (or the legacy icon)
    guint m_withdrawIdle = 0;  // a delete not yet carried out
    bool m_hostMenuOpening = false;
};
