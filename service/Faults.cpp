#include "Faults.h"

#include <set>

#include "HttpUtil.h"
#include "Server.h"

namespace svc {
namespace {

const std::set<int> kRedirectStatuses = {301, 302, 303, 307, 308};
const char* const kHopKey = "hop";

// The query without a hop count of ours.
std::string QueryWithoutHop(const char* query) {
    std::string out;
    std::string text = query ? query : "";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string::npos) end = text.size();
        std::string pair = text.substr(start, end - start);
        if (!pair.empty() && pair.rfind(std::string(kHopKey) + "=", 0) != 0)
            out += (out.empty() ? "" : "&") + pair;
        start = end + 1;
    }
    return out;
}

bool IsAbsolute(const std::string& to) {
    return to.rfind("http://", 0) == 0 || to.rfind("https://", 0) == 0;
}

}  // namespace

std::string RedirectTarget(const std::string& to, GUri* uri, int otherPort, int hop) {
    if (IsAbsolute(to)) return to;
    const std::string scheme = g_uri_get_scheme(uri);
    std::string query = hop < 0 ? (g_uri_get_query(uri) ? g_uri_get_query(uri) : "")
                                : QueryWithoutHop(g_uri_get_query(uri));
    if (hop >= 0)
        query += (query.empty() ? "" : "&") + std::string(kHopKey) + "=" + std::to_string(hop);
    std::string target = to == "self" ? scheme : to;
    int port = target == scheme ? g_uri_get_port(uri) : otherPort;
    return target + "://127.0.0.1:" + std::to_string(port) + g_uri_get_path(uri) +
           (query.empty() ? "" : "?" + query);
}

bool TakeOverWithFault(Server& server, SoupServerMessage* msg, const Json::Value& section) {
    const Json::Value& redirect = section["redirect"];
    const std::string to = redirect["to"].asString();
    if (!to.empty()) {
        GUri* uri = soup_server_message_get_uri(msg);
        const int count = redirect["count"].asInt();
        const std::string hopText = QueryOf(msg)[kHopKey];
        const int hop = hopText.empty() ? 0 : std::atoi(hopText.c_str());
        if (count == 0 || hop < count) {
            const bool https = SchemeOf(msg) == "https";
            const int otherPort = https ? server.HttpPort() : server.HttpsPort();
            const std::string location =
                RedirectTarget(to, uri, otherPort, count == 0 ? -1 : hop + 1);
            soup_message_headers_replace(soup_server_message_get_response_headers(msg), "Location",
                                         location.c_str());
            Respond(msg, redirect["status"].asInt(), "text/plain", "See " + location + "\n");
            return true;
        }
    }
    if (section["silent"].asBool()) {
        // Take the request and never answer: the connection stays open
        // until the client gives up.
        Server::MarkClosed(msg);
        Server::Hold(msg);
        return true;
    }
    return false;
}

void CutShort(SoupServerMessage* msg) {
    GBytes* bytes = soup_message_body_flatten(soup_server_message_get_response_body(msg));
    gsize size = 0;
    const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    const std::string body(data ? data : "", size);
    g_bytes_unref(bytes);
    const char* type = soup_message_headers_get_content_type(
        soup_server_message_get_response_headers(msg), nullptr);
    const guint status = soup_server_message_get_status(msg);
    const std::string head = "HTTP/1.1 " + std::to_string(status) + " " +
                             soup_status_get_phrase(status) +
                             "\r\nContent-Type: " + (type ? type : "text/plain") +
                             "\r\nContent-Length: " + std::to_string(body.size()) +
                             "\r\nConnection: close\r\n\r\n" + body.substr(0, body.size() / 2);
    GIOStream* stream = soup_server_message_steal_connection(msg);
    if (!stream) return;
    g_output_stream_write_all(g_io_stream_get_output_stream(stream), head.data(), head.size(),
                              nullptr, nullptr, nullptr);
    g_io_stream_close(stream, nullptr, nullptr);
    g_object_unref(stream);
}

bool CheckFaults(const Json::Value& section, const std::string& where, std::string& error) {
    const Json::Value& redirect = section["redirect"];
    const std::string to = redirect["to"].asString();
    if (!(to.empty() || to == "self" || to == "http" || to == "https" || IsAbsolute(to))) {
        error = where + ".redirect.to: use \"\", self, http, https or an absolute address";
        return false;
    }
    if (!kRedirectStatuses.count(redirect["status"].asInt())) {
        error = where + ".redirect.status: use 301, 302, 303, 307 or 308";
        return false;
    }
    if (redirect["count"].asInt() < 0) {
        error = where + ".redirect.count: must not be negative";
        return false;
    }
    return true;
}

}  // namespace svc
