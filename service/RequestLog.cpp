#include "RequestLog.h"

#include "HttpUtil.h"

namespace svc {
namespace {
// Bounds that keep the log readable whatever a client sends.
constexpr std::size_t kMaxBody = 4096;
constexpr std::size_t kMaxEntries = 5000;
}  // namespace

RequestLog::RequestLog(const std::string& path) {
    if (!path.empty()) m_file = std::fopen(path.c_str(), "a");
}

RequestLog::~RequestLog() {
    if (m_file) std::fclose(m_file);
}

void RequestLog::Record(SoupServerMessage* msg, const std::string& scheme, int status) {
    Json::Value entry;
    entry["seq"] = Json::Int64(m_next++);
    GDateTime* now = g_date_time_new_now_utc();
    gchar* time = g_date_time_format_iso8601(now);
    entry["time"] = time;
    g_free(time);
    g_date_time_unref(now);
    entry["scheme"] = scheme;
    entry["method"] = soup_server_message_get_method(msg);
    GUri* uri = soup_server_message_get_uri(msg);
    entry["path"] = ValidUtf8(g_uri_get_path(uri));
    const char* query = g_uri_get_query(uri);
    entry["query"] = ValidUtf8(query ? query : "");
    Json::Value headers(Json::objectValue);
    SoupMessageHeadersIter iter;
    soup_message_headers_iter_init(&iter, soup_server_message_get_request_headers(msg));
    const char* name;
    const char* value;
    while (soup_message_headers_iter_next(&iter, &name, &value)) {
        std::string key = ValidUtf8(name);
        std::string text = ValidUtf8(value);
        headers[key] = headers.isMember(key) ? headers[key].asString() + ", " + text : text;
    }
    entry["headers"] = headers;
    std::string body = RequestBody(msg);
    entry["bodySize"] = Json::UInt64(body.size());
    entry["body"] = ValidUtf8(body.substr(0, kMaxBody));
    entry["status"] = status;

    if (m_file) {
        std::string line = ToJson(entry) + "\n";
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fflush(m_file);
    }
    m_entries.push_back(std::move(entry));
    if (m_entries.size() > kMaxEntries) m_entries.pop_front();
}

Json::Value RequestLog::Since(long long since, const std::string& path) const {
    Json::Value out(Json::arrayValue);
    for (const auto& entry : m_entries) {
        if (entry["seq"].asInt64() <= since) continue;
        if (!path.empty() && entry["path"].asString() != path) continue;
        out.append(entry);
    }
    return out;
}

void RequestLog::Clear() {
    m_entries.clear();
}

}  // namespace svc
