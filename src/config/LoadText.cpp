#include "config/LoadText.h"

#include <array>

#include "config/DisplayLanguage.h"
#include "config/MenuLayout.h"

namespace {

IDisplayLanguage* g_displayLanguage = nullptr;

unsigned CurrentLanguage() {
    return g_displayLanguage ? g_displayLanguage->LanguageId() : kLanguageEnglishUS;
}

std::array<unsigned, 3> Candidates(unsigned languageId) {
    return {languageId, PrimaryLanguage(languageId), kLanguageEnglish};
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

unsigned ResolveStringTable(const StringTables& tables, unsigned languageId) {
    for (unsigned candidate : Candidates(languageId)) {
        if (HasStrings(tables, candidate)) return candidate;
    }
    return kLanguageEnglish;
}

unsigned ResolveMenuTable(const StringTables& tables, unsigned languageId) {
    for (unsigned candidate : Candidates(languageId)) {
        if (HasMenus(tables, candidate)) return candidate;
    }
    return kLanguageEnglish;
}

std::string LoadText(const StringTables& tables, unsigned languageId, unsigned id) {
    // A table without the id falls through to the next, so an incomplete
    // translation shows English rather than a blank.
    for (unsigned candidate : Candidates(languageId)) {
        if (const char* text = FindText(tables, candidate, id)) return text;
    }
    return {};
}

void SetDisplayLanguage(IDisplayLanguage* language) {
    g_displayLanguage = language;
}

std::string LoadText(unsigned id) {
    return LoadText(BuiltInStringTables(), CurrentLanguage(), id);
}

std::vector<TrayMenuItem> LoadMenu(const StringTables& tables, unsigned languageId,
                                   unsigned menuId) {
    std::vector<TrayMenuItem> items;
    for (unsigned command : MenuCommands(menuId)) {
        TrayMenuItem item{command, {}};
        if (command != 0) {
            for (unsigned candidate : Candidates(languageId)) {
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
    return LoadMenu(BuiltInStringTables(), CurrentLanguage(), menuId);
}
