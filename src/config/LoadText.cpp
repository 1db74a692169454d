#include "config/LoadText.h"

#include "config/DisplayLanguage.h"
#include "config/MenuLayout.h"

namespace {

IDisplayLanguage* g_displayLanguage = nullptr;

std::vector<unsigned> CurrentLanguages() {
    return g_displayLanguage ? g_displayLanguage->LanguageIds()
                             : std::vector<unsigned>{kLanguageEnglishUS};
}

struct SameLanguage {
    unsigned languageId;  // exact id, or a primary id standing for all its regions
    unsigned table;
    bool beforePrimary;  // the primary table belongs to another language or script
};

// Tables of the same language for another region or script, for languages
// whose own region has none. Serbian shares its primary id with Croatian, and
// Macao reads Traditional Chinese while the primary Chinese table is
// Simplified, so those are tried before the primary table.
constexpr SameLanguage kSameLanguage[] = {
    {0x01, 14337, false},  // Arabic: the United Arab Emirates table
    {0x3C, 145, false},    // Irish: its texts sit under the Scottish Gaelic id
    {10266, 9242, true},   // Serbian (Cyrillic, Serbia)
    {12314, 9242, true},   // Serbian (Cyrillic, Montenegro)
    {11290, 9242, true},   // Serbian (Latin, Montenegro)
    {3098, 9242, true},    // Serbian (Cyrillic, former Serbia and Montenegro)
    {2074, 9242, true},    // Serbian (Latin, former Serbia and Montenegro)
    {2052, 4, false},      // Chinese (PRC)
    {4100, 4, false},      // Chinese (Singapore)
    {3076, 3076, false},   // Chinese (Hong Kong)
    {5124, 3076, true},    // Chinese (Macao)
    {1028, 1028, false},   // Chinese (Taiwan)
};

const SameLanguage* SameLanguageOf(unsigned languageId) {
    for (const SameLanguage& entry : kSameLanguage) {
        if (entry.languageId == languageId) return &entry;
    }
    for (const SameLanguage& entry : kSameLanguage) {
        if (entry.languageId == PrimaryLanguage(languageId)) return &entry;
    }
    return nullptr;
}

void Add(std::vector<unsigned>& order, unsigned id) {
    for (unsigned seen : order) {
        if (seen == id) return;
    }
    order.push_back(id);
}

// The order tables are tried in, as gettext walks the desktop's list: each
// language exactly, then its primary language, then a table of the same
// language for another region or script, before the next language of the
// list ("ar:en" must read Arabic); English last.
std::vector<unsigned> Candidates(const std::vector<unsigned>& languageIds) {
    std::vector<unsigned> order;
    for (unsigned id : languageIds) {
        Add(order, id);
        const SameLanguage* same = SameLanguageOf(id);
        if (same && same->beforePrimary) Add(order, same->table);
        Add(order, PrimaryLanguage(id));
        if (same) Add(order, same->table);
    }
    Add(order, kLanguageEnglish);
    return order;
}

const char* FindText(const StringTables& tables, unsigned language, unsigned id) {
    for (const StringTableEntry& e : tables.strings) {
        if (e.language == language && e.id == id) return e.text;
    }
    return nullptr;
}

const char* FindMenuText(const StringTables& tables, unsigned language, unsigned menu,
                         unsigned command) {
    for (const MenuTextEntry& e : tables.menus) {
        if (e.language == language && e.menu == menu && e.command == command) return e.text;
    }
    return nullptr;
}

bool HasStrings(const StringTables& tables, unsigned language) {
    for (const StringTableEntry& e : tables.strings) {
        if (e.language == language) return true;
    }
    return false;
}

bool HasMenus(const StringTables& tables, unsigned language) {
    for (const MenuTextEntry& e : tables.menus) {
        if (e.language == language) return true;
    }
    return false;
}

}  // namespace

unsigned ResolveStringTable(const StringTables& tables, const std::vector<unsigned>& languageIds) {
    for (unsigned candidate : Candidates(languageIds)) {
        if (HasStrings(tables, candidate)) return candidate;
    }
    return kLanguageEnglish;
}

unsigned ResolveMenuTable(const StringTables& tables, const std::vector<unsigned>& languageIds) {
    for (unsigned candidate : Candidates(languageIds)) {
        if (HasMenus(tables, candidate)) return candidate;
    }
    return kLanguageEnglish;
}

bool IsRightToLeftTable(unsigned tableLanguage) {
    switch (PrimaryLanguage(tableLanguage)) {
        case 0x01:  // Arabic
        case 0x0D:  // Hebrew
        case 0x29:  // Persian
            return true;
        default:
            return false;
    }
}

bool TextsReadRightToLeft(const StringTables& tables, const std::vector<unsigned>& languageIds) {
    return IsRightToLeftTable(ResolveStringTable(tables, languageIds));
}

bool TextsReadRightToLeft() {
    return TextsReadRightToLeft(BuiltInStringTables(), CurrentLanguages());
}

std::string LoadText(const StringTables& tables, const std::vector<unsigned>& languageIds,
                     unsigned id) {
    // A table without the id falls through to the next, so an incomplete
    // translation shows English rather than a blank.
    for (unsigned candidate : Candidates(languageIds)) {
        if (const char* text = FindText(tables, candidate, id)) return text;
    }
    return {};
}

void SetDisplayLanguage(IDisplayLanguage* language) {
    g_displayLanguage = language;
}

std::string LoadText(unsigned id) {
    return LoadText(BuiltInStringTables(), CurrentLanguages(), id);
}

std::vector<TrayMenuItem> LoadMenu(const StringTables& tables,
                                   const std::vector<unsigned>& languageIds, unsigned menuId) {
    std::vector<TrayMenuItem> items;
    for (unsigned command : MenuCommands(menuId)) {
        TrayMenuItem item{command, {}};
        if (command != 0) {
            for (unsigned candidate : Candidates(languageIds)) {
                if (const char* text = FindMenuText(tables, candidate, menuId, command)) {
                    item.text = text;
                    break;
                }
            }
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<TrayMenuItem> LoadMenu(unsigned menuId) {
    return LoadMenu(BuiltInStringTables(), CurrentLanguages(), menuId);
}
