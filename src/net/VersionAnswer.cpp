#include "net/VersionAnswer.h"

#include <json/reader.h>
#include <json/value.h>

#include <exception>

namespace {

// False, zero, null and empty texts, arrays and objects are false; every
// other value is true.
bool IsTruthy(const Json::Value& v) {
    switch (v.type()) {
        case Json::booleanValue:
            return v.asBool();
        case Json::intValue:
        case Json::uintValue:
        case Json::realValue:
            return v.asDouble() != 0.0;
        case Json::stringValue:
            return !v.asString().empty();
        case Json::arrayValue:
        case Json::objectValue:
            return v.size() != 0;
        default:
            return false;
    }
}

std::string ReadText(const Json::Value& data, const char* key, const char* fallback) {
    const Json::Value& v = data[key];
    if (v.isString() || v.isBool()) return v.asString();
    return fallback;
}

// A flag is cleared only by a text holding "false", in exactly that case.
int FlagFrom(const std::string& text) {
    return text.find("false") == std::string::npos ? 1 : 0;
}

}  // namespace

void ReadVersionAnswer(const std::string& text, VersionInfo& info) {
    try {
        Json::Value root;
        Json::Reader reader;
        if (!reader.parse(text, root, false) || !root.isObject()) return;
        const Json::Value& answer = root;
        if (!IsTruthy(answer["success"])) return;
        static const Json::Value kEmpty(Json::objectValue);
        const Json::Value& data = answer["data"].isObject() ? answer["data"] : kEmpty;
        VersionInfo read;
        read.uptodate = FlagFrom(ReadText(data, "uptodate", "true"));
        read.critical = FlagFrom(ReadText(data, "critical", "false"));
        read.model = ReadText(data, "model", "");
        read.osversion = ReadText(data, "osversion", "");
        read.platform = ReadText(data, "platform", "");
        read.downloadurl = ReadText(data, "downloadurl", "");
        read.newversion = ReadText(data, "newversion", "");
        info = std::move(read);
    } catch (const std::exception&) {
        // A document nested too deeply for the reader: unusable like any other.
    }
}
