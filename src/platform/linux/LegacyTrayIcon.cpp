// GtkStatusIcon is deprecated in GTK 3, and still the one way to reach an
// XEmbed tray.
#define GDK_DISABLE_DEPRECATION_WARNINGS
#include "platform/linux/LegacyTrayIcon.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <string>

bool LegacyTrayIcon::HostPresent() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(x));
    return XGetSelectionOwner(x, XInternAtom(x, selection.c_str(), False)) != None;
}

namespace {

gboolean OnButtonRelease(GtkStatusIcon*, GdkEventButton* event, gpointer data) {
    auto* onClick = static_cast<std::function<void(TrayClick, Point)>*>(data);
    const Point at{static_cast<int>(event->x_root), static_cast<int>(event->y_root)};
    (*onClick)(event->button == 1   ? TrayClick::LeftUp
               : event->button == 3 ? TrayClick::RightUp
                                    : TrayClick::Other,
               at);
    return TRUE;
}

struct MenuCommand {
    std::function<void(unsigned)> onCommand;
};

void OnItemActivate(GtkMenuItem* item, gpointer data) {
    const auto id = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "murmel-command"));
    static_cast<MenuCommand*>(data)->onCommand(id);
}

gboolean DestroyMenu(gpointer menu) {
    gtk_widget_destroy(GTK_WIDGET(menu));
    return G_SOURCE_REMOVE;
}

void OnMenuDeactivate(GtkMenuShell* menu, gpointer) {
    // The chosen item is activated after the menu closes: destroy it later.
    g_idle_add(DestroyMenu, menu);
}

}  // namespace

LegacyTrayIcon::LegacyTrayIcon(const TrayImages& images,
                               std::function<void(TrayClick, Point)> onClick)
    : m_images(images), m_onClick(std::move(onClick)), m_icon(gtk_status_icon_new()) {
    gtk_status_icon_set_title(m_icon, "Murmel Alarm");
    gtk_status_icon_set_name(m_icon, "murmel-alarm");
    g_signal_connect(m_icon, "button-release-event", G_CALLBACK(OnButtonRelease), &m_onClick);
}

LegacyTrayIcon::~LegacyTrayIcon() {
    gtk_status_icon_set_visible(m_icon, FALSE);
    g_object_unref(m_icon);
}

void LegacyTrayIcon::Update(const TrayIconData& icon) {
    const std::string& dir = m_images.ThemePath();
    if (!dir.empty()) {
        const std::string file = dir + "/" + TrayImages::IconName(icon.iconId) + ".svg";
        gtk_status_icon_set_from_file(m_icon, file.c_str());
    } else if (GdkPixbuf* pixbuf = m_images.Render(icon.iconId, 22)) {
        gtk_status_icon_set_from_pixbuf(m_icon, pixbuf);
        g_object_unref(pixbuf);
    }
    gtk_status_icon_set_tooltip_text(m_icon, icon.tooltip.c_str());
    gtk_status_icon_set_visible(m_icon, !icon.hidden);
}

void PopupTrayMenu(const std::vector<TrayMenuItem>& items, Point at,
                   std::function<void(unsigned)> onCommand) {
    GdkDisplay* display = gdk_display_get_default();
    if (items.empty() || !display) return;
    GtkWidget* menu = gtk_menu_new();
    auto* command = new MenuCommand{std::move(onCommand)};
    g_object_set_data_full(G_OBJECT(menu), "murmel-command", command,
                           [](gpointer p) { delete static_cast<MenuCommand*>(p); });
    for (const TrayMenuItem& item : items) {
        GtkWidget* entry = item.commandId ? gtk_menu_item_new_with_label(item.text.c_str())
                                          : gtk_separator_menu_item_new();
        if (item.commandId) {
            g_object_set_data(G_OBJECT(entry), "murmel-command", GUINT_TO_POINTER(item.commandId));
            g_signal_connect(entry, "activate", G_CALLBACK(OnItemActivate), command);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
    }
    g_signal_connect(menu, "deactivate", G_CALLBACK(OnMenuDeactivate), nullptr);
    gtk_widget_show_all(menu);
    // A request over the bus comes with no input event to anchor the menu
    // to: make one at the given point, or at the pointer.
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    if (at == Point{}) gdk_device_get_position(pointer, nullptr, &at.x, &at.y);
    GdkEvent* trigger = gdk_event_new(GDK_BUTTON_RELEASE);
    trigger->button.window = GDK_WINDOW(g_object_ref(gdk_get_default_root_window()));
    trigger->button.time = gtk_get_current_event_time();
    trigger->button.x = trigger->button.x_root = at.x;
    trigger->button.y = trigger->button.y_root = at.y;
    trigger->button.button = 3;
    gdk_event_set_device(trigger, pointer);
    gtk_menu_popup_at_pointer(GTK_MENU(menu), trigger);
    gdk_event_free(trigger);
}
