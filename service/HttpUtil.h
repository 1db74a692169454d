#pragma once
// Small helpers around libsoup server messages and JsonCpp.
#include <json/json.h>
#include <libsoup/soup.h>

#include <map>
#include <optional>
#include <string>

namespace svc {

using Form = std::map<std::string, std::string>;

// Decodes an application/x-www-form-urlencoded text. Returns nothing when the
// text is not a well-formed form (bad percent escapes, invalid UTF-8).
std::optional<Form> DecodeForm(const std::string& text);

Form QueryOf(SoupServerMessage* msg);
std::string RequestBody(SoupServerMessage* msg);
std::string CookieValue(SoupServerMessage* msg, const std::string& name);

void Respond(SoupServerMessage* msg, int status, const std::string& contentType,
             const std::string& body);
void RespondJson(SoupServerMessage* msg, int status, const Json::Value& value);
void RespondError(SoupServerMessage* msg, int status, const std::string& message);
void Redirect(SoupServerMessage* msg, const std::string& location);

std::string ToJson(const Json::Value& value);
bool ParseJson(const std::string& text, Json::Value& out, std::string& error);

std::string HtmlEscape(const std::string& text);
// JSON text that is also safe inside an HTML script element.
std::string ScriptJson(const Json::Value& value);
// Replaces invalid UTF-8 so the text can go into JSON and the log.
std::string ValidUtf8(const std::string& text);
std::string RandomHex(int bytes);

}  // namespace svc
