#include "platform/linux/InstanceRequest.h"

InstanceLine ReadInstanceLine(std::string_view received, std::string_view expected) {
    const std::size_t end = received.substr(0, kMaxInstanceLine).find('\n');
    if (end == std::string_view::npos)
        return received.size() < kMaxInstanceLine ? InstanceLine::Incomplete : InstanceLine::Other;
    return received.substr(0, end + 1) == expected ? InstanceLine::Expected : InstanceLine::Other;
}
