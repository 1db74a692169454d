#include "platform/linux/ResScheme.h"

namespace {
void Serve(WebKitURISchemeRequest* request, gpointer) {
    const std::string path = ResourcePathOfUri(webkit_uri_scheme_request_get_uri(request));
    GError* error = nullptr;
    GBytes* bytes =
        path.empty() ? nullptr
                     : g_resources_lookup_data(path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, &error);
    if (!bytes) {
        if (!error) error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "no resource");
        webkit_uri_scheme_request_finish_error(request, error);
        g_error_free(error);
        return;
    }
    gsize size = 0;
    const void* data = g_bytes_get_data(bytes, &size);
    gchar* type =
        g_content_type_guess(path.c_str(), static_cast<const guchar*>(data), size, nullptr);
    gchar* mime = g_content_type_get_mime_type(type);
    if (mime && g_str_equal(mime, "text/html") && PagesRightToLeft()) {
        const std::string page =
            WithRightToLeftRoot(std::string(static_cast<const char*>(data), size));
        g_bytes_unref(bytes);
        bytes = g_bytes_new(page.data(), page.size());
        data = g_bytes_get_data(bytes, &size);
    }
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    webkit_uri_scheme_request_finish(request, stream, static_cast<gint64>(size), mime);
    g_object_unref(stream);
    g_free(mime);
    g_free(type);
    g_bytes_unref(bytes);
}
}  // namespace

void RegisterResScheme(WebKitWebContext* context) {
    webkit_web_context_register_uri_scheme(context, "res", Serve, nullptr, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_local(security, "res");
    webkit_security_manager_register_uri_scheme_as_secure(security, "res");
}
