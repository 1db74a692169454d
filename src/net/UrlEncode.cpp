#include "net/UrlEncode.h"

#include <string_view>

namespace {

constexpr std::string_view kReserved = "\"<>%\\^[]`+$,@:;/!#?=&";
constexpr char kHex[] = "0123456789ABCDEF";

bool StaysAsIs(unsigned char b) {
    return b >= 0x21 && b <= 0x7A && kReserved.find(static_cast<char>(b)) == std::string_view::npos;
}

}  // namespace

std::string UrlEncode(const std::string& text) {
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (StaysAsIs(b)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[b >> 4];
            encoded += kHex[b & 0x0F];
        }
    }
    return encoded;
}
