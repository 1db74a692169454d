#include "net/Utf8Text.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the sequence at the start of `s`. A well-formed one sets
// `valid`; an ill-formed one is the longest start of a well-formed sequence,
// at least one byte, so that each becomes one replacement character. The
// ranges of the second byte rule out overlong forms, surrogates and code
// points above U+10FFFF.
std::size_t SequenceAt(std::string_view s, bool& valid) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    valid = b0 < 0x80;
    if (valid) return 1;
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
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= s.size()) return i;
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return i;
    }
    valid = true;
    return length;
}

}  // namespace

std::string ReplaceInvalidUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        bool valid = false;
        const std::size_t length = SequenceAt(bytes, valid);
        if (valid)
            text.append(bytes.substr(0, length));
        else
            text.append(kReplacement);
        bytes.remove_prefix(length);
    }
    return text;
}
