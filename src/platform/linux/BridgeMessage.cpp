#include "platform/linux/BridgeMessage.h"

#include <glib.h>
#include <json/json.h>

#include <exception>
#include <memory>

#include "config/JsonEscapes.h"
#include "net/Utf8Text.h"

namespace {
// Nothing that is not UTF-8 text goes on into the program.
std::string Text(const Json::Value& v) {
    return v.isString() ? ReplaceInvalidUtf8(v.asString()) : std::string();
}

std::string Text(const Json::Value& value, const char* key) {
    return Text(value[key]);
}
}  // namespace

std::string OriginOf(const std::string& address) {
    GUri* uri = g_uri_parse(address.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) return {};
    std::string origin;
    const char* host = g_uri_get_host(uri);
    if (host && *host) {
        gchar* scheme = g_ascii_strdown(g_uri_get_scheme(uri), -1);
        gchar* lowHost = g_ascii_strdown(host, -1);
        origin = std::string(scheme) + "://" + lowHost;
        const int port = g_uri_get_port(uri);
        const bool standard = (origin.rfind("https:", 0) == 0 && port == 443) ||
                              (origin.rfind("http:", 0) == 0 && port == 80);
        if (port > 0 && !standard) origin += ":" + std::to_string(port);
        g_free(lowHost);
        g_free(scheme);
    }
    g_uri_unref(uri);
    return origin;
}

std::optional<BridgeMessage> ParseBridgeMessage(const std::string& json) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    // A lone surrogate in any text of the page would lose the whole message.
    const std::string text = ReplaceLoneSurrogateEscapes(json);
    Json::Value root;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, nullptr) ||
            !root.isObject())
            return std::nullopt;
    } catch (const std::exception&) {
        // Nested deeper than the reader's limit.
        return std::nullopt;
    }
    BridgeMessage message;
    message.kind = Text(root, "kind");
    message.href = Text(root, "href");
    message.top = root["top"].isBool() && root["top"].asBool();
    message.method = Text(root, "method");
    message.id = Text(root, "id");
    message.event = Text(root, "event");
    if (root["written"].isUInt()) message.written = root["written"].asUInt();
    if (root["args"].isArray())
        for (const auto& arg : root["args"]) message.args.push_back(Text(arg));
    const Json::Value& data = root["data"];
    if (data.isObject())
        for (const auto& name : data.getMemberNames())
            if (data[name].isString()) message.data[ReplaceInvalidUtf8(name)] = Text(data[name]);
    return message;
}

bool IsTrustedSource(const std::string& href, const std::string& trustedOrigin) {
    if (g_ascii_strncasecmp(href.c_str(), "res:", 4) == 0) return true;
    const std::string origin = OriginOf(href);
    return !origin.empty() && origin == OriginOf(trustedOrigin);
}
