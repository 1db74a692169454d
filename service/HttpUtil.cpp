#include "HttpUtil.h"

#include <memory>
#include <sstream>

namespace svc {

std::optional<Form> DecodeForm(const std::string& text) {
    Form form;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string::npos) end = text.size();
        std::string pair = text.substr(start, end - start);
        start = end + 1;
        if (pair.empty()) continue;
        std::size_t eq = pair.find('=');
        std::string rawKey = pair.substr(0, eq);
        std::string rawValue = eq == std::string::npos ? "" : pair.substr(eq + 1);
        for (auto* part : {&rawKey, &rawValue})
            for (char& c : *part)
                if (c == '+') c = ' ';
        gchar* key = g_uri_unescape_string(rawKey.c_str(), nullptr);
        gchar* value = g_uri_unescape_string(rawValue.c_str(), nullptr);
        bool ok = key && value && g_utf8_validate(key, -1, nullptr) &&
                  g_utf8_validate(value, -1, nullptr);
        if (ok) form.emplace(key, value);
        g_free(key);
        g_free(value);
        if (!ok) return std::nullopt;
    }
    return form;
}

Form QueryOf(SoupServerMessage* msg) {
    GUri* uri = soup_server_message_get_uri(msg);
    const char* query = uri ? g_uri_get_query(uri) : nullptr;
    if (!query) return {};
    return DecodeForm(query).value_or(Form{});
}

std::string RequestBody(SoupServerMessage* msg) {
    SoupMessageBody* body = soup_server_message_get_request_body(msg);
    if (!body) return {};
    GBytes* bytes = soup_message_body_flatten(body);
    gsize size = 0;
    const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    std::string text(data ? data : "", size);
    g_bytes_unref(bytes);
    return text;
}

std::string CookieValue(SoupServerMessage* msg, const std::string& name) {
    const char* header =
        soup_message_headers_get_list(soup_server_message_get_request_headers(msg), "Cookie");
    if (!header) return {};
    GHashTable* pairs = soup_header_parse_semi_param_list(header);
    const char* value = static_cast<const char*>(g_hash_table_lookup(pairs, name.c_str()));
    std::string out = value ? value : "";
    soup_header_free_param_list(pairs);
    return out;
}

void Respond(SoupServerMessage* msg, int status, const std::string& contentType,
             const std::string& body) {
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(msg);
    soup_message_headers_replace(headers, "Cache-Control", "no-store");
    soup_server_message_set_status(msg, status, nullptr);
    soup_server_message_set_response(msg, contentType.c_str(), SOUP_MEMORY_COPY, body.data(),
                                     body.size());
}

void RespondJson(SoupServerMessage* msg, int status, const Json::Value& value) {
    Respond(msg, status, "application/json", ToJson(value) + "\n");
}

void RespondError(SoupServerMessage* msg, int status, const std::string& message) {
    Json::Value error;
    error["error"] = message;
    RespondJson(msg, status, error);
}

void Redirect(SoupServerMessage* msg, const std::string& location) {
    soup_message_headers_replace(soup_server_message_get_response_headers(msg), "Location",
                                 location.c_str());
    Respond(msg, SOUP_STATUS_SEE_OTHER, "text/plain", "See " + location + "\n");
}

std::string ToJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value);
}

bool ParseJson(const std::string& text, Json::Value& out, std::string& error) {
    Json::CharReaderBuilder builder;
    builder["strictRoot"] = true;
    builder["rejectDupKeys"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    return reader->parse(text.data(), text.data() + text.size(), &out, &error);
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string ScriptJson(const Json::Value& value) {
    std::string json = ToJson(value);
    std::string out;
    for (char c : json) {
        if (c == '<')
            out += "\\u003c";
        else
            out += c;
    }
    return out;
}

std::string ValidUtf8(const std::string& text) {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string out(valid);
    g_free(valid);
    return out;
}

std::string RandomHex(int bytes) {
    std::ostringstream out;
    out << std::hex;
    for (int i = 0; i < bytes; ++i) {
        unsigned v = static_cast<unsigned>(g_random_int_range(0, 256));
        if (v < 16) out << '0';
        out << v;
    }
    return out.str();
}

}  // namespace svc
