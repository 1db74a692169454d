#include "platform/linux/AppIcon.h"

#include <gtk/gtk.h>

#include "platform/linux/TrayImages.h"

namespace {
// The installed icon is rendered from the signed-in tray image
// (data/CMakeLists.txt); the program carries it in these sizes.
constexpr const char* kBundledImage = "murmel-alarm-signed-in";
constexpr int kSizes[] = {16, 32, 48, 64, 128};
}  // namespace

const char* UseAppIcon() {
    if (gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), MURMEL_APP_ID)) {
        gtk_window_set_default_icon_name(MURMEL_APP_ID);
        return MURMEL_APP_ID;
    }
    GList* icons = nullptr;
    for (int size : kSizes)
        if (GdkPixbuf* pixbuf = TrayImages::Image(kBundledImage, size))
            icons = g_list_append(icons, pixbuf);
    // GTK keeps its own references.
    if (icons) gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
    return "";
}
