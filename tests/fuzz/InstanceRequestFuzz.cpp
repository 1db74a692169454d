// Reads arbitrary bytes as what arrives on the single-instance socket, in
// the pieces a stream may cut it into: the first byte sets the piece size.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/linux/InstanceRequest.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = data[0] % 16 + 1;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    for (std::string_view expected : {kActivateRequest, kActivateAnswer}) {
        std::string received;
        InstanceLine line = InstanceLine::Incomplete;
        for (std::size_t at = 0; at < input.size() && line == InstanceLine::Incomplete;
             at += piece) {
            received.append(input.substr(at, piece));
            line = ReadInstanceLine(received, expected);
        }
        // Reading never goes on past one line's worth of bytes.
        Check(line != InstanceLine::Incomplete || received.size() < kMaxInstanceLine);
        // Only the exact line is taken, however the stream was cut.
        Check((line == InstanceLine::Expected) == (input.substr(0, expected.size()) == expected));
    }
    return 0;
}
