#include "config/StringFile.h"

#include "config/MenuLayout.h"

namespace {

class LineReader {
public:
    explicit LineReader(std::string_view line) : m_rest(line) {}

    bool AtEnd() {
        SkipBlanks();
        return m_rest.empty();
    }

    bool Word(std::string_view word) {
        SkipBlanks();
        if (!m_rest.starts_with(word)) return false;
        const std::string_view after = m_rest.substr(word.size());
        if (!after.empty() && after.front() != ' ' && after.front() != '\t') return false;
        m_rest = after;
        return true;
    }

    bool Number(unsigned& value) {
        SkipBlanks();
        std::size_t i = 0;
        unsigned long long n = 0;
        while (i < m_rest.size() && m_rest[i] >= '0' && m_rest[i] <= '9' && i < 9) {
            n = n * 10 + static_cast<unsigned>(m_rest[i] - '0');
            ++i;
        }
        if (i == 0 || (i < m_rest.size() && m_rest[i] != ' ' && m_rest[i] != '\t')) return false;
        value = static_cast<unsigned>(n);
        m_rest.remove_prefix(i);
        return true;
    }

    // A double-quoted text with its escapes resolved; `problem` says why not.
    bool Quoted(std::string& text, std::string& problem) {
        SkipBlanks();
        if (m_rest.empty() || m_rest.front() != '"') {
            problem = "expected a text in double quotes";
            return false;
        }
        text.clear();
        for (std::size_t i = 1; i < m_rest.size(); ++i) {
            const char c = m_rest[i];
            if (c == '"') {
                m_rest.remove_prefix(i + 1);
                return true;
            }
            if (c != '\\') {
                text += c;
                continue;
            }
            if (++i == m_rest.size()) break;
            switch (m_rest[i]) {
                case 'n':
                    text += '\n';
                    break;
                case '"':
                    text += '"';
                    break;
                case '\\':
                    text += '\\';
                    break;
                default:
                    problem = std::string("unknown escape \\") + m_rest[i];
                    return false;
            }
        }
        problem = "the text has no closing quote";
        return false;
    }

private:
    void SkipBlanks() {
        while (!m_rest.empty() && (m_rest.front() == ' ' || m_rest.front() == '\t')) {
            m_rest.remove_prefix(1);
        }
    }

    std::string_view m_rest;
};

bool Fail(StringFileError& error, int line, std::string message) {
    error.line = line;
    error.message = std::move(message);
    return false;
}

}  // namespace

bool ParseStringFile(std::string_view text, StringFile& file, StringFileError& error) {
    file = StringFile{};
    bool haveLanguage = false;
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (lineNo == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);

        LineReader reader(line);
        if (reader.AtEnd() || line.find_first_not_of(" \t") == line.find('#')) continue;

        std::string problem;
        if (reader.Word("lang")) {
            unsigned id = 0;
            if (!reader.Number(id) || id == 0 || !reader.AtEnd()) {
                return Fail(error, lineNo, "expected: lang <language id>");
            }
            if (haveLanguage) return Fail(error, lineNo, "a second lang line");
            file.language = id;
            haveLanguage = true;
        } else if (reader.Word("menu")) {
            MenuFileEntry entry;
            if (!reader.Number(entry.menu) || !reader.Number(entry.command)) {
                return Fail(error, lineNo, "expected: menu <menu id> <command id> \"text\"");
            }
            if (!IsMenuCommand(entry.menu, entry.command)) {
                return Fail(error, lineNo,
                            "menu " + std::to_string(entry.menu) + " has no command " +
                                std::to_string(entry.command));
            }
            if (!reader.Quoted(entry.text, problem)) return Fail(error, lineNo, problem);
            if (!reader.AtEnd()) return Fail(error, lineNo, "text after the closing quote");
            for (const MenuFileEntry& seen : file.menus) {
                if (seen.menu == entry.menu && seen.command == entry.command) {
                    return Fail(error, lineNo, "menu item given twice");
                }
            }
            file.menus.push_back(std::move(entry));
        } else {
            StringFileEntry entry;
            if (!reader.Number(entry.id)) {
                return Fail(error, lineNo,
                            "expected: lang <id>, <string id> \"text\" or menu <menu> <command> "
                            "\"text\"");
            }
            if (entry.id < kFirstTextId || entry.id > kLastTextId) {
                return Fail(error, lineNo,
                            "string id " + std::to_string(entry.id) + " is outside " +
                                std::to_string(kFirstTextId) + ".." + std::to_string(kLastTextId));
            }
            if (!reader.Quoted(entry.text, problem)) return Fail(error, lineNo, problem);
            if (!reader.AtEnd()) return Fail(error, lineNo, "text after the closing quote");
            for (const StringFileEntry& seen : file.strings) {
                if (seen.id == entry.id) {
                    return Fail(error, lineNo,
                                "string " + std::to_string(entry.id) + " given twice");
                }
            }
            file.strings.push_back(std::move(entry));
        }
    }
    if (!haveLanguage) return Fail(error, 0, "no lang line");
    if (file.strings.empty() && file.menus.empty()) return Fail(error, 0, "no texts");
    return true;
}
