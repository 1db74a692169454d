#pragma once
// User-interface texts in the display language. For each text the user's
// languages are tried in order, each exactly and then its primary language;
// then a table of the same language for another region or script; English
// last.
#include <string>
#include <vector>

#include "config/StringTables.h"
#include "platform/System.h"
#include "platform/Tray.h"

inline constexpr unsigned kLanguageEnglish = 9;

// The language id of the string table (or menu table) a display language
// reads from; each is chosen independently.
unsigned ResolveStringTable(const StringTables& tables, const std::vector<unsigned>& languageIds);
unsigned ResolveMenuTable(const StringTables& tables, const std::vector<unsigned>& languageIds);
inline unsigned ResolveStringTable(const StringTables& tables, unsigned languageId) {
    return ResolveStringTable(tables, std::vector<unsigned>{languageId});
}
inline unsigned ResolveMenuTable(const StringTables& tables, unsigned languageId) {
    return ResolveMenuTable(tables, std::vector<unsigned>{languageId});
}

// Whether texts of that table read right to left (Arabic, Hebrew, Persian).
bool IsRightToLeftTable(unsigned tableLanguage);

// Whether the texts the user's languages read, as a whole, run right to
// left: decided by the table they come from, so a right-to-left language
// without a table of its own lays pages out left to right for the English
// texts it then reads.
bool TextsReadRightToLeft(const StringTables& tables, const std::vector<unsigned>& languageIds);
bool TextsReadRightToLeft();

// The text with that id; empty when no table has it.
std::string LoadText(const StringTables& tables, const std::vector<unsigned>& languageIds,
                     unsigned id);
inline std::string LoadText(const StringTables& tables, unsigned languageId, unsigned id) {
    return LoadText(tables, std::vector<unsigned>{languageId}, id);
}

// The display language that LoadText(id) and LoadMenu(menuId) ask on every
// call; set once at start-up. Without one, texts are English.
void SetDisplayLanguage(IDisplayLanguage* language);

// The built-in text with that id in the current display language.
std::string LoadText(unsigned id);

// The items of tray menu 152 or 179 in order, separators as command 0;
// empty for another menu id.
std::vector<TrayMenuItem> LoadMenu(const StringTables& tables,
                                   const std::vector<unsigned>& languageIds, unsigned menuId);
inline std::vector<TrayMenuItem> LoadMenu(const StringTables& tables, unsigned languageId,
                                          unsigned menuId) {
    return LoadMenu(tables, std::vector<unsigned>{languageId}, menuId);
}
std::vector<TrayMenuItem> LoadMenu(unsigned menuId);
