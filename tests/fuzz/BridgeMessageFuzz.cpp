// Reads arbitrary bytes as a message from a page's bridge world, and the
// sender's address as the source it is trusted or refused as.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/Utf8.h"
#include "platform/linux/BridgeMessage.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto message = ParseBridgeMessage(text);
    // The bytes themselves as an address, trusted against a fixed site.
    const bool trusted = IsTrustedSource(text, "https://127.0.0.1:8443");
    // Trusted are only our own pages and that one site.
    const bool own = text.size() >= 4 && (text[0] | 0x20) == 'r' && (text[1] | 0x20) == 'e' &&
                     (text[2] | 0x20) == 's' && text[3] == ':';
    Check(!trusted || own || text.find("127.0.0.1") != std::string::npos);
    if (!message) return 0;
    // Everything a page says reaches the program as UTF-8 text.
    Check(IsValidUtf8(message->kind) && IsValidUtf8(message->href) &&
          IsValidUtf8(message->method) && IsValidUtf8(message->id) && IsValidUtf8(message->event));
    for (const auto& arg : message->args) Check(IsValidUtf8(arg));
    for (const auto& [name, value] : message->data) Check(IsValidUtf8(name) && IsValidUtf8(value));
    IsTrustedSource(message->href, "https://127.0.0.1:8443");
    IsTrustedSource(message->href, message->href);
    return 0;
}
