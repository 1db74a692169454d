#include "config/ProfileText.h"

#include "config/AsciiCase.h"
#include "config/Utf8.h"

namespace {

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string ProfileValue(std::string_view fileText, std::string_view section,
                         std::string_view key) {
    if (fileText.starts_with("\xEF\xBB\xBF")) fileText.remove_prefix(3);
    bool inSection = false;
    while (!fileText.empty()) {
        const auto end = fileText.find('\n');
        std::string_view line = Trim(fileText.substr(0, end));
        fileText = end == std::string_view::npos ? std::string_view() : fileText.substr(end + 1);

        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close != std::string_view::npos) {
                inSection = EqualsIgnoringAsciiCase(Trim(line.substr(1, close - 1)), section);
            }
            continue;
        }
        if (!inSection) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || !EqualsIgnoringAsciiCase(Trim(line.substr(0, eq)), key))
            continue;

        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return Utf8Truncate(value, kMaxProfileValueChars);
    }
    return {};
}
