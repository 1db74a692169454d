#pragma once
// User-interface texts in the display language. For each text the table of
// exactly the display language is tried, then the table of its primary
// language, then the English table.
#include <string>
#include <vector>

#include "config/StringTables.h"
#include "platform/System.h"
#include "platform/Tray.h"

inline constexpr unsigned kLanguageEnglish = 9;

// The language id of the string table (or menu table) a display language
// reads from; each is chosen independently.
unsigned ResolveStringTable(const StringTables& tables, unsigned languageId);
unsigned ResolveMenuTable(const StringTables& tables, unsigned languageId);

// The text with that id; empty when no table has it.
std::string LoadText(const StringTables& tables, unsigned languageId, unsigned id);

// The display language that LoadText(id) and LoadMenu(menuId) ask on every
// call; set once at start-up. Without one, texts are English.
void SetDisplayLanguage(IDisplayLanguage* language);

// The built-in text with that id in the current display language.
std::string LoadText(unsigned id);

// The items of tray menu 152 or 179 in order, separators as command 0;
// empty for another menu id.
std::vector<TrayMenuItem> LoadMenu(const StringTables& tables, unsigned languageId,
                                   unsigned menuId);
std::vector<TrayMenuItem> LoadMenu(unsigned menuId);
