#pragma once
// Messages from the bridge world of a page (see PageScripts.h).
#include <map>
#include <optional>
#include <string>

#include "platform/Types.h"

struct BridgeMessage {
    std::string kind;  // "external", "element", "drag" or "load"
    std::string href;  // address of the frame that sent it
    bool top = false;  // sent by the top-level frame
    std::string method;
    StringList args;
    std::string id;
    std::string event;                        // "click" or "mousedown"
    std::map<std::string, std::string> data;  // bound field values
    unsigned written = 0;                     // the last write of the application the page had seen
};

// Reads a message; nothing when `json` is not one.
std::optional<BridgeMessage> ParseBridgeMessage(const std::string& json);

// Whether a frame at `href` may reach the application: the program's own
// pages (res:) and pages of `trustedOrigin` ("https://host:port").
bool IsTrustedSource(const std::string& href, const std::string& trustedOrigin);

// scheme://host[:port] with the scheme and host lower-cased and the default
// port left out; empty when `address` has no host.
std::string OriginOf(const std::string& address);
