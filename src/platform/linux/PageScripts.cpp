#include "platform/linux/PageScripts.h"

#include "platform/linux/ResourceText.h"

namespace {

std::string Replace(std::string text, const std::string& marker, const std::string& value) {
    const auto at = text.find(marker);
    if (at != std::string::npos) text.replace(at, marker.size(), value);
    return text;
}
}  // namespace

std::string PageWorldScript(const std::string& hintsJson) {
    return Replace(ResourceText("scripts/page-world.js"), "__HINTS__", hintsJson);
}

std::string BridgeWorldScript(const std::string& configJson) {
    return Replace(ResourceText("scripts/bridge-world.js"), "__CONFIG__", configJson);
}
