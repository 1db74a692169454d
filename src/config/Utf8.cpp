#include "config/Utf8.h"

namespace {

// Length of the well-formed sequence starting at text[i], 0 when malformed.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        len = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3;
        if (lead == 0xE0) lo = 0xA0;  // overlong
        if (lead == 0xED) hi = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4;
        if (lead == 0xF0) lo = 0x90;  // overlong
        if (lead == 0xF4) hi = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    return len;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = SequenceLength(text, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const std::size_t len = SequenceLength(text, i);
        i += len == 0 ? 1 : len;
    }
    return count;
}

std::string Utf8Truncate(std::string_view text, std::size_t maxChars) {
    std::size_t i = 0;
    for (std::size_t count = 0; i < text.size() && count < maxChars; ++count) {
        const std::size_t len = SequenceLength(text, i);
        i += len == 0 ? 1 : len;
    }
    return std::string(text.substr(0, i));
}
