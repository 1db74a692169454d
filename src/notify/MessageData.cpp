#include "notify/MessageData.h"

#include <json/reader.h>
#include <json/value.h>

#include <climits>
#include <exception>

#include "config/JsonEscapes.h"
#include "net/Utf8Text.h"

namespace {

// Absent and null members read as empty text; other non-texts are refused.
bool ReadText(const Json::Value& object, const char* key, std::string& out) {
    const Json::Value& v = object.get(key, Json::Value());
    if (v.isNull()) {
        out.clear();
        return true;
    }
    if (!v.isString()) return false;
    // Pages hand over UTF-8 and lone surrogate escapes are gone, but a
    // page must never be given anything else.
    out = ReplaceInvalidUtf8(v.asString());
    return true;
}

// The integer part of a number, as the kind of a message; numbers beyond
// the integer range are no known kind.
bool ReadKind(const Json::Value& object, int& out) {
    const Json::Value& v = object.get("msgtype", Json::Value());
    if (!v.isNumeric()) return false;
    const double d = v.asDouble();
    out = d > static_cast<double>(INT_MIN) && d < static_cast<double>(INT_MAX) ? static_cast<int>(d)
                                                                               : 0;
    return true;
}

}  // namespace

MessageData ReadMessageData(const std::string& data) {
    MessageData out;
    Json::Value root;
    try {
        Json::Reader reader;
        if (!reader.parse(ReplaceLoneSurrogateEscapes(data), root, false)) return out;
    } catch (const std::exception&) {
        // Nested too deeply for the reader: not usable data.
        return out;
    }
    out.parsed = true;
    if (!root.isObject()) return out;
    out.hasSessionId = ReadText(root, "sessionid", out.sessionId);
    out.readable = ReadText(root, "sender", out.sender) && ReadText(root, "msg", out.text) &&
                   ReadKind(root, out.kind);
    if (!out.readable) {
        out.sender.clear();
        out.text.clear();
        out.kind = 0;
    }
    return out;
}
