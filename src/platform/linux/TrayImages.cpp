#include "platform/linux/TrayImages.h"

#include <glib/gstdio.h>

#include "notify/CSystemTray.h"

namespace {

const int kPixmapSizes[] = {22, 32, 48};

std::string ResourcePath(const char* name) {
    return std::string("/murmel/icons/") + name + ".svg";
}

bool WriteFile(const std::string& path, GBytes* bytes) {
    gsize size = 0;
    const auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    return g_file_set_contents(path.c_str(), data, static_cast<gssize>(size), nullptr);
}

}  // namespace

const char* TrayImages::IconName(int iconId) {
    switch (iconId) {
        case CSystemTray::kIconSignedIn:
            return "murmel-alarm-signed-in";
        case CSystemTray::kIconNewMessage:
            return "murmel-alarm-new-message";
        default:
            return "murmel-alarm-signed-out";
    }
}

TrayImages::TrayImages(std::string dir) {
    if (dir.empty()) {
        // One instance per session, so one directory rewritten at each start.
        dir = std::string(g_get_user_runtime_dir()) + "/murmel-alarm/icons";
    }
    // Both layouts: some hosts look names up as a theme (hicolor), others
    // take files straight from the directory.
    const std::string apps = dir + "/hicolor/scalable/apps";
    if (g_mkdir_with_parents(apps.c_str(), 0700) != 0) return;
    const char theme[] =
        "[Icon Theme]\nName=Hicolor\nDirectories=scalable/apps\n\n"
        "[scalable/apps]\nSize=64\nMinSize=8\nMaxSize=512\nType=Scalable\n";
    if (!g_file_set_contents((dir + "/hicolor/index.theme").c_str(), theme, -1, nullptr)) return;
    for (int id :
         {CSystemTray::kIconSignedIn, CSystemTray::kIconNewMessage, CSystemTray::kIconSignedOut}) {
        const char* name = IconName(id);
        GBytes* svg = g_resources_lookup_data(ResourcePath(name).c_str(),
                                              G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
        if (!svg) return;
        const std::string file = std::string(name) + ".svg";
        const bool ok = WriteFile(apps + "/" + file, svg) && WriteFile(dir + "/" + file, svg);
        g_bytes_unref(svg);
        if (!ok) return;
    }
    m_themePath = dir;
}

GdkPixbuf* TrayImages::Image(const char* name, int size) {
    // The sizes handed out (here and in AppIcon.cpp) are rendered at build
    // time, as MURMEL_PIXMAP_SIZES in res/CMakeLists.txt lists them; another
    // size is rendered from the SVG, which loads the SVG renderer.
    const std::string pixmap =
        std::string("/murmel/pixmaps/") + name + "-" + std::to_string(size) + ".png";
    GInputStream* in =
        g_resources_open_stream(pixmap.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
    GdkPixbuf* pixbuf = nullptr;
    if (in) {
        pixbuf = gdk_pixbuf_new_from_stream(in, nullptr, nullptr);
    } else {
        in = g_resources_open_stream(ResourcePath(name).c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE,
                                     nullptr);
        if (!in) return nullptr;
        pixbuf = gdk_pixbuf_new_from_stream_at_scale(in, size, size, TRUE, nullptr, nullptr);
    }
    g_object_unref(in);
    if (pixbuf && !gdk_pixbuf_get_has_alpha(pixbuf)) {
        GdkPixbuf* withAlpha = gdk_pixbuf_add_alpha(pixbuf, FALSE, 0, 0, 0);
        g_object_unref(pixbuf);
        pixbuf = withAlpha;
    }
    return pixbuf;
}

GdkPixbuf* TrayImages::Render(int iconId, int size) const {
    return Image(IconName(iconId), size);
}

GVariant* TrayImages::Pixmaps(int iconId) const {
    GVariantBuilder list;
    g_variant_builder_init(&list, G_VARIANT_TYPE("a(iiay)"));
    for (int size : kPixmapSizes) {
        GdkPixbuf* pixbuf = Render(iconId, size);
        if (!pixbuf) continue;
        const int width = gdk_pixbuf_get_width(pixbuf);
        const int height = gdk_pixbuf_get_height(pixbuf);
        const int stride = gdk_pixbuf_get_rowstride(pixbuf);
        const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
        auto* argb = static_cast<guchar*>(g_malloc(static_cast<gsize>(width) * height * 4));
        guchar* out = argb;
        for (int y = 0; y < height; ++y) {
            const guchar* p = pixels + static_cast<gsize>(y) * stride;
            for (int x = 0; x < width; ++x, p += 4) {
                *out++ = p[3];
                *out++ = p[0];
                *out++ = p[1];
                *out++ = p[2];
            }
        }
        GVariant* bytes = g_variant_new_from_data(
            G_VARIANT_TYPE("ay"), argb, static_cast<gsize>(width) * height * 4, TRUE, g_free, argb);
        g_variant_builder_add(&list, "(ii@ay)", width, height, bytes);
        g_object_unref(pixbuf);
    }
    return g_variant_builder_end(&list);
}
