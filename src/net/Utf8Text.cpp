#include "net/Utf8Text.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed sequence at the start of `s`, 0 when it is not.
// The ranges of the second byte rule out overlong forms, surrogates and code
// points above U+10FFFF.
std::size_t WellFormedLength(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    const auto b1 = static_cast<unsigned char>(s[1]);
    if (b1 < low || b1 > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(s[i]))) return 0;
    return length;
}

}  // namespace

std::string ReplaceInvalidUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = WellFormedLength(bytes);
        if (length) {
            text.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
            continue;
        }
        text.append(kReplacement);
        // Skip the lead byte and the continuation bytes that belong to it.
        std::size_t skip = 1;
        while (skip < bytes.size() && skip < 4 &&
               IsContinuation(static_cast<unsigned char>(bytes[skip])) &&
               !IsContinuation(static_cast<unsigned char>(bytes[0])))
            ++skip;
        bytes.remove_prefix(skip);
    }
    return text;
}
