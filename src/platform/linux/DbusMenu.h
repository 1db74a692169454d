#pragma once
// The tray menu as a com.canonical.dbusmenu object, for tray hosts that draw
// an item's menu themselves. Flat: the root (id 0) holds the items; an item's
// id is its command id, a separator's a small number of its own.
#include <gio/gio.h>

#include <functional>
#include <vector>

#include "platform/Tray.h"

class DbusMenu {
public:
    static constexpr const char* kPath = "/MenuBar";

    struct Handlers {
        // The host is about to open the menu, or asks for one that was never
        // set: set the items for now.
        std::function<void()> aboutToShow;
        std::function<void(unsigned commandId)> clicked;
    };

    DbusMenu(GDBusConnection* connection, Handlers handlers);
    ~DbusMenu();
    DbusMenu(const DbusMenu&) = delete;
    DbusMenu& operator=(const DbusMenu&) = delete;

    // Replaces the items; tells the host when they changed.
    void SetItems(const std::vector<TrayMenuItem>& items);
    unsigned Revision() const { return m_revision; }

private:
    static void OnMethodCall(GDBusConnection*, const char* sender, const char* path,
                             const char* iface, const char* method, GVariant* params,
                             GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* OnGetProperty(GDBusConnection*, const char* sender, const char* path,
                                   const char* iface, const char* name, GError** error,
                                   gpointer self);
    // One handler per method of com.canonical.dbusmenu.
    void HandleGetLayout(GVariant* params, GDBusMethodInvocation* invocation);
    void HandleGetGroupProperties(GVariant* params, GDBusMethodInvocation* invocation);
    void HandleGetProperty(GVariant* params, GDBusMethodInvocation* invocation);
    void HandleEvent(GVariant* params, GDBusMethodInvocation* invocation);
    void HandleEventGroup(GVariant* params, GDBusMethodInvocation* invocation);
    void HandleAboutToShow(GVariant* params, GDBusMethodInvocation* invocation);
    void HandleAboutToShowGroup(GVariant* params, GDBusMethodInvocation* invocation);

    struct Entry {
        int id;
        TrayMenuItem item;
    };
    const Entry* Find(int id) const;
    GVariant* Properties(const Entry* entry) const;
    GVariant* Layout(int parentId) const;
    bool AboutToShow(int id);
    void Clicked(int id);

    GDBusConnection* m_connection;
    Handlers m_handlers;
    guint m_registration = 0;
    std::vector<Entry> m_entries;
    bool m_filled = false;
    unsigned m_revision = 1;
};
