#include "platform/linux/ResourceText.h"

#include <gio/gio.h>

std::string ResourceText(const std::string& path) {
    GBytes* bytes =
        g_resources_lookup_data(("/murmel/" + path).c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
    if (!bytes) return {};
    gsize size = 0;
    const auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    std::string text(data, size);
    g_bytes_unref(bytes);
    return text;
}
