#include "platform/linux/ResScheme.h"

#include <cctype>

#include "platform/linux/ResourceTable.h"

namespace {
constexpr const char* kPrefix = "/murmel/";

std::function<bool()>& PageDirection() {
    static std::function<bool()> rightToLeft;
    return rightToLeft;
}

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
    if (mime && g_str_equal(mime, "text/html") && PageDirection() && PageDirection()()) {
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

std::string ResourceUri(int id) {
    const std::string file = ResourceFile(id);
    return file.empty() ? std::string() : "res:///" + file;
}

std::string ResourcePathOfUri(const std::string& uri) {
    // The engine lower-cases the scheme but keeps path and fragment as written.
    if (uri.size() < 4 || g_ascii_strncasecmp(uri.c_str(), "res:", 4) != 0) return {};
    const auto hash = uri.find('#');
    if (hash != std::string::npos) {
        const std::string digits = uri.substr(hash + 1);
        if (!digits.empty() && digits.size() < 9 &&
            digits.find_first_not_of("0123456789") == std::string::npos) {
            const std::string file = ResourceFile(std::stoi(digits));
            return file.empty() ? std::string() : kPrefix + file;
        }
    }
    std::string path = uri.substr(4, std::min(hash, uri.find('?')) - 4);
    path.erase(0, path.find_first_not_of('/'));
    if (path.empty()) return {};
    gchar* unescaped = g_uri_unescape_string(path.c_str(), nullptr);
    if (!unescaped) return {};
    std::string result = kPrefix + std::string(unescaped);
    g_free(unescaped);
    return result;
}

void SetPageDirection(std::function<bool()> rightToLeft) {
    PageDirection() = std::move(rightToLeft);
}

std::string WithRightToLeftRoot(const std::string& html) {
    std::string result = html;
    for (std::size_t at = result.find('<'); at != std::string::npos;
         at = result.find('<', at + 1)) {
        if (g_ascii_strncasecmp(result.c_str() + at, "<html", 5) == 0 &&
            (result[at + 5] == '>' || g_ascii_isspace(result[at + 5]))) {
            result.insert(at + 5, " dir=\"rtl\"");
            break;
        }
    }
    return result;
}
