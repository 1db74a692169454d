#include "platform/linux/AppIcon.h"

#include <gtk/gtk.h>

namespace {
// The installed icon is rendered from this image (data/CMakeLists.txt).
constexpr const char* kBundledImage = "/murmel/icons/murmel-alarm-signed-in.svg";
constexpr int kSizes[] = {16, 32, 48, 64, 128};
}  // namespace

const char* UseAppIcon() {
    if (gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), MURMEL_APP_ID)) {
        gtk_window_set_default_icon_name(MURMEL_APP_ID);
        return MURMEL_APP_ID;
    }
    GList* icons = nullptr;
    for (int size : kSizes) {
        GInputStream* in =
            g_resources_open_stream(kBundledImage, G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
        if (!in) break;
        GdkPixbuf* pixbuf =
            gdk_pixbuf_new_from_stream_at_scale(in, size, size, TRUE, nullptr, nullptr);
        g_object_unref(in);
        if (pixbuf) icons = g_list_append(icons, pixbuf);
    }
    // GTK keeps its own references.
    if (icons) gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
    return "";
}
