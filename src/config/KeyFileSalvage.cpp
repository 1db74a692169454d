#include "config/KeyFileSalvage.h"

#include <optional>
#include <unordered_map>

#include "config/AsciiCase.h"
#include "config/Utf8.h"

namespace {

// Blanks as key-file readers know them: no vertical tab.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// UTF-8 continuation bytes after the closing bracket are passed over by
// key-file readers, which step through the line a character at a time.
bool MayFollowHeader(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == ' ' || c == '\t' || (byte >= 0x80 && byte <= 0xbf);
}

// The name in a header line "[name]"; nullopt when the line is no header.
std::optional<std::string_view> HeaderName(std::string_view line) {
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    for (char c : line.substr(close + 1)) {
        if (!MayFollowHeader(c)) return std::nullopt;
    }
    const std::string_view name = line.substr(1, close - 1);
    if (name.empty()) return std::nullopt;
    for (char c : name) {
        if (c == '[' || IsControl(c)) return std::nullopt;
    }
    return name;
}

// A stored value as key-file readers return it: the five escapes decoded,
// any other escape kept as written, a backslash at the very end dropped.
std::string Unescape(std::string_view raw) {
    std::string value;
    value.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            value += raw[i];
            continue;
        }
        if (++i == raw.size()) break;
        switch (raw[i]) {
            case 's':
                value += ' ';
                break;
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case '\\':
                value += '\\';
                break;
            default:
                value += '\\';
                value += raw[i];
        }
    }
    return value;
}

// The values with an index by key, so that a file of many lines is read in
// linear time.
class Collected {
public:
    // nullopt: the key's last line holds a value that cannot be read, which
    // hides the earlier ones as it does when the file is read whole.
    void Keep(std::string_view key, std::optional<std::string> value) {
        const auto [at, added] = m_index.emplace(std::string(key), m_values.size());
        if (added) {
            m_values.emplace_back(std::string(key), std::move(value));
        } else {
            m_values[at->second].second = std::move(value);
        }
    }
    KeyFileValues Take() {
        KeyFileValues values;
        for (auto& [key, value] : m_values) {
            if (value) values.emplace_back(std::move(key), std::move(*value));
        }
        return values;
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_values;
    std::unordered_map<std::string, std::size_t> m_index;
};

}  // namespace

KeyFileValues SalvageKeyFileGroup(std::string_view text, std::string_view group) {
    Collected values;
    bool inGroup = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        // Only a line ended by a newline loses a carriage return before it.
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = line.substr(0, line.find('\0'));
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);

        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            const auto name = HeaderName(line);
            inGroup = name && *name == group;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos || equals == 0) continue;

        std::string_view key = line.substr(0, equals);
        while (IsBlank(key.back())) key.remove_suffix(1);
        std::string_view raw = line.substr(equals + 1);
        while (!raw.empty() && IsBlank(raw.front())) raw.remove_prefix(1);
        if (key.find_first_of("[]") != std::string_view::npos) continue;
        if (key == "Encoding" && !EqualsIgnoringAsciiCase(raw, "UTF-8")) continue;
        if (!IsValidUtf8(key)) continue;
        std::string value = Unescape(raw);
        if (IsValidUtf8(value)) {
            values.Keep(key, std::move(value));
        } else {
            values.Keep(key, std::nullopt);
        }
    }
    return values.Take();
}
