#include "platform/linux/DbusMenu.h"

#include <string>
#include <utility>

#include "platform/linux/ResourceText.h"

namespace {

const char kInterface[] = "com.canonical.dbusmenu";

// Underscores mark mnemonics in dbusmenu labels; an address must show as typed.
std::string EscapeLabel(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '_') out += '_';
    }
    return out;
}

GVariant* EmptyProperties() {
    return g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0);
}

}  // namespace

DbusMenu::DbusMenu(GDBusConnection* connection, Handlers handlers)
    : m_connection(connection), m_handlers(std::move(handlers)) {
    static const GDBusInterfaceVTable vtable = {OnMethodCall, OnGetProperty, nullptr, {}};
    GDBusNodeInfo* node =
        g_dbus_node_info_new_for_xml(ResourceText("dbus/dbusmenu.xml").c_str(), nullptr);
    m_registration = g_dbus_connection_register_object(m_connection, kPath, node->interfaces[0],
                                                       &vtable, this, nullptr, nullptr);
    g_dbus_node_info_unref(node);
}

DbusMenu::~DbusMenu() {
    if (m_registration) g_dbus_connection_unregister_object(m_connection, m_registration);
}

void DbusMenu::SetItems(const std::vector<TrayMenuItem>& items) {
    m_filled = true;
    bool same = items.size() == m_entries.size();
    for (std::size_t i = 0; same && i < items.size(); ++i) {
        same = items[i].commandId == m_entries[i].item.commandId &&
               items[i].text == m_entries[i].item.text;
    }
    if (same) return;
    m_entries.clear();
    int separator = 0;
    for (const TrayMenuItem& item : items) {
        // Command ids start far above the few separators a menu has.
        const int id = item.commandId ? static_cast<int>(item.commandId) : ++separator;
        m_entries.push_back({id, item});
    }
    ++m_revision;
    g_dbus_connection_emit_signal(m_connection, nullptr, kPath, kInterface, "LayoutUpdated",
                                  g_variant_new("(ui)", m_revision, 0), nullptr);
}

const DbusMenu::Entry* DbusMenu::Find(int id) const {
    for (const Entry& e : m_entries) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

GVariant* DbusMenu::Properties(const Entry* entry) const {
    GVariantBuilder props;
    g_variant_builder_init(&props, G_VARIANT_TYPE("a{sv}"));
    if (!entry) {
        g_variant_builder_add(&props, "{sv}", "children-display", g_variant_new_string("submenu"));
    } else if (entry->item.commandId == 0) {
        g_variant_builder_add(&props, "{sv}", "type", g_variant_new_string("separator"));
    } else {
        const std::string label = EscapeLabel(entry->item.text);
        g_variant_builder_add(&props, "{sv}", "label", g_variant_new_string(label.c_str()));
        g_variant_builder_add(&props, "{sv}", "enabled", g_variant_new_boolean(TRUE));
        g_variant_builder_add(&props, "{sv}", "visible", g_variant_new_boolean(TRUE));
    }
    return g_variant_builder_end(&props);
}

GVariant* DbusMenu::Layout(int parentId) const {
    const Entry* entry = parentId ? Find(parentId) : nullptr;
    GVariantBuilder children;
    g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
    if (parentId == 0) {
        for (const Entry& e : m_entries) {
            GVariant* child = g_variant_new("(i@a{sv}@av)", e.id, Properties(&e),
                                            g_variant_new_array(G_VARIANT_TYPE("v"), nullptr, 0));
            g_variant_builder_add(&children, "v", child);
        }
    }
    return g_variant_new("(i@a{sv}av)", parentId, Properties(entry), &children);
}

bool DbusMenu::AboutToShow(int id) {
    if (id != 0) return false;
    const unsigned before = m_revision;
    if (m_handlers.aboutToShow) m_handlers.aboutToShow();
    return m_revision != before;
}

void DbusMenu::Clicked(int id) {
    const Entry* entry = Find(id);
    if (entry && entry->item.commandId && m_handlers.clicked) {
        m_handlers.clicked(entry->item.commandId);
    }
}

void DbusMenu::HandleGetLayout(GVariant* params, GDBusMethodInvocation* invocation) {
    gint32 parent = 0;
    g_variant_get_child(params, 0, "i", &parent);
    if (!m_filled && m_handlers.aboutToShow) m_handlers.aboutToShow();
    if (parent != 0 && !Find(parent)) {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "com.canonical.dbusmenu.Error.UnknownId", "no such item");
        return;
    }
    g_dbus_method_invocation_return_value(
        invocation, g_variant_new("(u@(ia{sv}av))", m_revision, Layout(parent)));
}

void DbusMenu::HandleGetGroupProperties(GVariant* params, GDBusMethodInvocation* invocation) {
    GVariantIter* ids = nullptr;
    g_variant_get(params, "(ai@as)", &ids, nullptr);
    GVariantBuilder out;
    g_variant_builder_init(&out, G_VARIANT_TYPE("a(ia{sv})"));
    gint32 id = 0;
    while (g_variant_iter_next(ids, "i", &id)) {
        const Entry* entry = Find(id);
        if (id == 0 || entry) g_variant_builder_add(&out, "(i@a{sv})", id, Properties(entry));
    }
    g_variant_iter_free(ids);
    g_dbus_method_invocation_return_value(
        invocation, g_variant_new("(@a(ia{sv}))", g_variant_builder_end(&out)));
}

void DbusMenu::HandleGetProperty(GVariant* params, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    const char* prop = nullptr;
    g_variant_get(params, "(i&s)", &id, &prop);
    const Entry* entry = Find(id);
    GVariant* props = (id == 0 || entry) ? Properties(entry) : EmptyProperties();
    g_variant_ref_sink(props);
    // The looked-up value is a reference of our own; the reply takes one
    // of its own.
    g_autoptr(GVariant) value = g_variant_lookup_value(props, prop, nullptr);
    g_variant_unref(props);
    if (!value) {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "com.canonical.dbusmenu.Error.UnknownProperty", "no such property");
        return;
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
}

void DbusMenu::HandleEvent(GVariant* params, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    const char* eventId = nullptr;
    g_variant_get(params, "(i&svu)", &id, &eventId, nullptr, nullptr);
    const bool clicked = std::string(eventId) == "clicked";
    // Answer first: the command may open a modal dialog.
    g_dbus_method_invocation_return_value(invocation, nullptr);
    if (clicked) Clicked(id);
}

void DbusMenu::HandleEventGroup(GVariant* params, GDBusMethodInvocation* invocation) {
    GVariantIter* events = nullptr;
    g_variant_get(params, "(a(isvu))", &events);
    GVariantBuilder errors;
    g_variant_builder_init(&errors, G_VARIANT_TYPE("ai"));
    std::vector<int> clicked;
    gint32 id = 0;
    const char* eventId = nullptr;
    while (g_variant_iter_next(events, "(i&svu)", &id, &eventId, nullptr, nullptr)) {
        if (id != 0 && !Find(id)) {
            g_variant_builder_add(&errors, "i", id);
        } else if (std::string(eventId) == "clicked") {
            clicked.push_back(id);
        }
    }
    g_variant_iter_free(events);
    g_dbus_method_invocation_return_value(invocation,
                                          g_variant_new("(@ai)", g_variant_builder_end(&errors)));
    for (int c : clicked) Clicked(c);
}

void DbusMenu::HandleAboutToShow(GVariant* params, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    g_variant_get(params, "(i)", &id);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", AboutToShow(id)));
}

void DbusMenu::HandleAboutToShowGroup(GVariant* params, GDBusMethodInvocation* invocation) {
    GVariantIter* ids = nullptr;
    g_variant_get(params, "(ai)", &ids);
    GVariantBuilder updates;
    GVariantBuilder errors;
    g_variant_builder_init(&updates, G_VARIANT_TYPE("ai"));
    g_variant_builder_init(&errors, G_VARIANT_TYPE("ai"));
    gint32 id = 0;
    while (g_variant_iter_next(ids, "i", &id)) {
        if (id != 0 && !Find(id)) {
            g_variant_builder_add(&errors, "i", id);
        } else if (AboutToShow(id)) {
            g_variant_builder_add(&updates, "i", id);
        }
    }
    g_variant_iter_free(ids);
    g_dbus_method_invocation_return_value(
        invocation,
        g_variant_new("(@ai@ai)", g_variant_builder_end(&updates), g_variant_builder_end(&errors)));
}

void DbusMenu::OnMethodCall(GDBusConnection*, const char*, const char*, const char*,
                            const char* method, GVariant* params, GDBusMethodInvocation* invocation,
                            gpointer data) {
    using Handler = void (DbusMenu::*)(GVariant*, GDBusMethodInvocation*);
    static const std::pair<const char*, Handler> kHandlers[] = {
        {"GetLayout", &DbusMenu::HandleGetLayout},
        {"GetGroupProperties", &DbusMenu::HandleGetGroupProperties},
        {"GetProperty", &DbusMenu::HandleGetProperty},
        {"Event", &DbusMenu::HandleEvent},
        {"EventGroup", &DbusMenu::HandleEventGroup},
        {"AboutToShow", &DbusMenu::HandleAboutToShow},
        {"AboutToShowGroup", &DbusMenu::HandleAboutToShowGroup},
    };
    auto* self = static_cast<DbusMenu*>(data);
    for (const auto& [name, handler] : kHandlers) {
        if (std::string(name) == method) return (self->*handler)(params, invocation);
    }
    g_dbus_method_invocation_return_dbus_error(invocation,
                                               "org.freedesktop.DBus.Error.UnknownMethod", method);
}

GVariant* DbusMenu::OnGetProperty(GDBusConnection*, const char*, const char*, const char*,
                                  const char* name, GError** error, gpointer) {
    const std::string prop = name;
    if (prop == "Version") return g_variant_new_uint32(3);
    if (prop == "TextDirection") return g_variant_new_string("ltr");
    if (prop == "Status") return g_variant_new_string("normal");
    if (prop == "IconThemePath") return g_variant_new_strv(nullptr, 0);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "%s", name);
    return nullptr;
}
