#include "platform/linux/AppIcon.h"

#include <gtk/gtk.h>

#include "platform/linux/TrayImages.h"

namespace {
// The installed icon is rendered from the signed-in tray image
// (data/CMakeLists.txt); the program carries it in these sizes.
constexpr const char* kBundledImage = "murmel-alarm-signed-in";
constexpr int kSizes[] = {16, 32, 48, 64, 128};
// Asking the desktop's icon theme loads its indexes, 20-30 ms of the UI
// thread: not while the first window is being made.
constexpr guint kThemeLookupDelaySeconds = 2;

// As GTK makes a window's icon from a theme name: every size the theme
// has, a scalable image at 48 pixels.
GList* ThemedIcons(GtkIconTheme* theme) {
    GList* icons = nullptr;
    gint* sizes = gtk_icon_theme_get_icon_sizes(theme, MURMEL_APP_ID);
    for (gint* size = sizes; *size; ++size)
        if (GdkPixbuf* icon = gtk_icon_theme_load_icon(
                theme, MURMEL_APP_ID, *size == -1 ? 48 : *size, GtkIconLookupFlags(0), nullptr))
            icons = g_list_append(icons, icon);
    g_free(sizes);
    return icons;
}

// GTK keeps its own references; the default list reaches the windows
// already made as well as those to come.
void SetDefaultIcons(GList* icons) {
    if (icons) gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
}

gboolean UseInstalledIcon(gpointer) {
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    if (gtk_icon_theme_has_icon(theme, MURMEL_APP_ID)) SetDefaultIcons(ThemedIcons(theme));
    return G_SOURCE_REMOVE;
}
}  // namespace

void UseAppIcon() {
    GList* icons = nullptr;
    for (int size : kSizes)
        if (GdkPixbuf* pixbuf = TrayImages::Image(kBundledImage, size))
            icons = g_list_append(icons, pixbuf);
    SetDefaultIcons(icons);
    g_timeout_add_seconds(kThemeLookupDelaySeconds, UseInstalledIcon, nullptr);
}
