#include "config/JsonEscapes.h"

namespace {

constexpr std::string_view kReplacement = "\\ufffd";

// The code unit of the \uXXXX escape at `at`, or -1 when there is none.
long EscapeAt(std::string_view json, std::size_t at) {
    if (at + 6 > json.size() || json[at] != '\\' || json[at + 1] != 'u') return -1;
    long unit = 0;
    for (std::size_t k = at + 2; k < at + 6; ++k) {
        const char c = json[k];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

bool IsHigh(long unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(long unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string ReplaceLoneSurrogateEscapes(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    std::size_t i = 0;
    while (i < json.size()) {
        if (json[i] != '\\' || i + 1 == json.size()) {
            out += json[i++];
            continue;
        }
        const long unit = EscapeAt(json, i);
        if (unit < 0) {
            // Any other escape, an escaped backslash included, stays whole.
            out.append(json.substr(i, 2));
            i += 2;
        } else if (IsHigh(unit) && IsLow(EscapeAt(json, i + 6))) {
            out.append(json.substr(i, 12));
            i += 12;
        } else if (IsHigh(unit) || IsLow(unit)) {
            out.append(kReplacement);
            i += 6;
        } else {
            out.append(json.substr(i, 6));
            i += 6;
        }
    }
    return out;
}
