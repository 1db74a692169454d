// The control endpoint: tests and the demo change the scenario, read the
// request log and send events to the web client through it.
#include "HttpUtil.h"
#include "Server.h"

namespace svc {
namespace {

std::string Method(SoupServerMessage* msg) {
    return soup_server_message_get_method(msg);
}

bool ReadBody(SoupServerMessage* msg, Json::Value& body) {
    std::string error;
    if (ParseJson(RequestBody(msg), body, error) && body.isObject()) return true;
    RespondError(msg, SOUP_STATUS_BAD_REQUEST,
                 "the body must be a JSON object" + (error.empty() ? "" : ": " + error));
    return false;
}

void ScenarioRoute(Server& server, SoupServerMessage* msg) {
    const std::string method = Method(msg);
    if (method == "GET") return RespondJson(msg, SOUP_STATUS_OK, server.GetScenario().Doc());
    if (method != "PUT" && method != "POST" && method != "PATCH")
        return RespondError(msg, SOUP_STATUS_METHOD_NOT_ALLOWED, "use GET, PUT, POST or PATCH");
    Json::Value body;
    if (!ReadBody(msg, body)) return;
    std::string error;
    bool ok = method == "PUT" ? server.GetScenario().Replace(body, error)
                              : server.GetScenario().Merge(body, error);
    if (!ok) return RespondError(msg, SOUP_STATUS_BAD_REQUEST, error);
    server.ScenarioChanged();
    RespondJson(msg, SOUP_STATUS_OK, server.GetScenario().Doc());
}

void LogRoute(Server& server, SoupServerMessage* msg) {
    if (Method(msg) == "DELETE") {
        server.Log().Clear();
        return RespondJson(msg, SOUP_STATUS_OK, Json::Value(Json::objectValue));
    }
    if (Method(msg) != "GET")
        return RespondError(msg, SOUP_STATUS_METHOD_NOT_ALLOWED, "use GET or DELETE");
    Form query = QueryOf(msg);
    long long since = g_ascii_strtoll(query["since"].c_str(), nullptr, 10);
    RespondJson(msg, SOUP_STATUS_OK, server.Log().Since(since, query["path"]));
}

bool OptionalString(const Json::Value& body, const char* key, std::string& out,
                    std::string& error) {
    if (!body.isMember(key)) return true;
    if (!body[key].isString()) {
        error = std::string(key) + " must be a string";
        return false;
    }
    out = body[key].asString();
    return true;
}

void EventRoute(Server& server, SoupServerMessage* msg) {
    if (Method(msg) != "POST") return RespondError(msg, SOUP_STATUS_METHOD_NOT_ALLOWED, "use POST");
    Json::Value body;
    if (!ReadBody(msg, body)) return;
    const std::string type = body.get("type", "").isString() ? body.get("type", "").asString() : "";
    std::string sender, text, sessionid, data, error;
    bool ok = OptionalString(body, "sender", sender, error) &&
              OptionalString(body, "msg", text, error) &&
              OptionalString(body, "sessionid", sessionid, error) &&
              OptionalString(body, "data", data, error);
    if (ok && body.isMember("msgtype") && !body["msgtype"].isInt()) {
        error = "msgtype must be an integer";
        ok = false;
    }
    if (ok && type == "raw" && !body["code"].isInt()) {
        error = "code must be an integer";
        ok = false;
    }
    if (!ok) return RespondError(msg, SOUP_STATUS_BAD_REQUEST, error);

    long long id = 0;
    if (type == "messages") {
        // Several new messages at once: the web client hears them together.
        const Json::Value& list = body["messages"];
        if (!list.isArray() || list.empty())
            return RespondError(msg, SOUP_STATUS_BAD_REQUEST, "messages must be a list");
        for (const Json::Value& item : list)
            if (!item.isObject() || !item["sender"].isString() || !item["msg"].isString() ||
                (item.isMember("sessionid") && !item["sessionid"].isString()) ||
                (item.isMember("msgtype") && !item["msgtype"].isInt()))
                return RespondError(msg, SOUP_STATUS_BAD_REQUEST,
                                    "each message needs a sender and a msg");
        server.Hub().Hold();
        for (const Json::Value& item : list) {
            const std::string from = item["sender"].asString();
            const std::string session = item.get("sessionid", from).asString();
            id = server.Hub().PostMessage(from, item["msg"].asString(),
                                          item.get("msgtype", 0).asInt(), session);
        }
        server.Hub().Release();
    } else if (type == "message") {
        id = server.Hub().PostMessage(sender, text, body.get("msgtype", 0).asInt(),
                                      sessionid.empty() ? sender : sessionid);
    } else if (type == "logout") {
        // The page hears of the end first; the sessions go with it.
        id = server.Hub().Post(302, data);
        server.Sessions().clear();
    } else if (type == "error") {
        id = server.Hub().Post(401, data);
    } else if (type == "raw") {
        id = server.Hub().Post(body["code"].asInt(), data);
    } else {
        return RespondError(msg, SOUP_STATUS_BAD_REQUEST,
                            "type must be message, messages, logout, error or raw");
    }
    Json::Value answer;
    answer["id"] = Json::Int64(id);
    RespondJson(msg, SOUP_STATUS_OK, answer);
}

void StatusRoute(Server& server, SoupServerMessage* msg) {
    Json::Value status;
    status["http"] = server.HttpPort();
    status["https"] = server.HttpsPort();
    status["caFile"] = server.Certs().caFile;
    status["pollers"] = server.Hub().Pollers();
    status["lastEventId"] = Json::Int64(server.Hub().LastId());
    Json::Value sessions(Json::arrayValue);
    for (const auto& [token, session] : server.Sessions()) {
        Json::Value item;
        item["token"] = token;
        item["email"] = session.email;
        item["announced"] = session.announced;
        sessions.append(item);
    }
    status["sessions"] = sessions;
    RespondJson(msg, SOUP_STATUS_OK, status);
}

}  // namespace

void HandleControl(Server& server, SoupServerMessage* msg, const std::string& path) {
    if (path == "/_control/scenario") return ScenarioRoute(server, msg);
    if (path == "/_control/log") return LogRoute(server, msg);
    if (path == "/_control/events") return EventRoute(server, msg);
    if (path == "/_control/status") return StatusRoute(server, msg);
    RespondError(msg, SOUP_STATUS_NOT_FOUND,
                 "unknown control path; try /_control/scenario, /_control/log, "
                 "/_control/events or /_control/status");
}

}  // namespace svc
