// Checks of the shipped string tables: complete, translated, well-formed.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/LoadText.h"
#include "config/MenuLayout.h"
#include "config/StringTables.h"
#include "config/Utf8.h"

namespace {

// The languages with string tables, and those with menu tables (Korean and
// Portuguese are keyed differently there).
const std::set<unsigned> kStringLanguages = {
    2,  4,  5,  6,  7,  8,   9,    10,   11,   12,   13,   14,   16,   17,   18,   19,
    20, 21, 24, 25, 26, 27,  29,   30,   31,   33,   34,   36,   37,   38,   39,   42,
    47, 57, 62, 63, 67, 145, 1028, 1046, 1065, 2057, 2058, 2070, 3076, 3084, 9242, 14337};
const std::set<unsigned> kMenuLanguages = [] {
    std::set<unsigned> s = kStringLanguages;
    s.erase(18);
    s.erase(2070);
    s.insert(1042);
    s.insert(22);
    return s;
}();

// Texts that may read exactly as in English, per language. Product names
// stay as they are everywhere, and "Alarm" completes the product name after
// the fixed "Murmel "; the rest are words the language shares with English.
const std::set<unsigned> kSameEverywhere = {184, 191, 193};
const std::map<unsigned, std::set<unsigned>> kSameAsEnglish = {
    {2, {210}},                                   // Bulgarian
    {5, {186, 210}},                              // Czech
    {6, {176, 186, 210}},                         // Danish
    {7, {176, 186, 187, 210}},                    // German
    {8, {210}},                                   // Greek
    {10, {187}},                                  // Spanish
    {11, {186, 210}},                             // Finnish
    {12, {171, 185, 187, 188, 190, 210}},         // French
    {14, {210}},                                  // Hungarian
    {16, {186, 187, 198, 210}},                   // Italian
    {17, {210}},                                  // Japanese
    {19, {186, 187, 190, 210}},                   // Dutch
    {20, {176, 186, 210}},                        // Norwegian
    {21, {187, 210}},                             // Polish
    {24, {186, 187, 190, 210}},                   // Romanian
    {27, {186, 210}},                             // Slovak
    {29, {176, 186, 210}},                        // Swedish
    {31, {186}},                                  // Turkish
    {33, {186, 187, 197, 210}},                   // Indonesian
    {34, {210}},                                  // Ukrainian
    {36, {186}},                                  // Slovenian
    {37, {186, 210}},                             // Estonian
    {38, {186, 187}},                             // Latvian
    {42, {186, 197, 210}},                        // Vietnamese
    {62, {186, 187, 210}},                        // Malay
    {63, {210}},                                  // Kazakh
    {67, {175, 186, 187, 210}},                   // Uzbek
    {145, {210}},                                 // Irish
    {1046, {175, 210}},                           // Portuguese (Brazil)
    {2058, {175, 186, 187}},                      // Spanish (Mexico)
    {2070, {175, 210}},                           // Portuguese (Portugal)
    {3084, {171, 175, 185, 187, 188, 190, 210}},  // French (Canada)
    {9242, {175, 186, 187}},                      // Serbian (Latin)
};

// Menu items that may read as in English, per language, by command id.
const std::map<unsigned, std::set<unsigned>> kMenuSameAsEnglish = {
    {33, {32785}},  // Indonesian "Email"
    {42, {32785}},  // Vietnamese "Email"
};

bool MayMatchEnglish(unsigned language, unsigned id) {
    if (language == kLanguageEnglish || language == 2057) return true;
    if (kSameEverywhere.contains(id)) return true;
    const auto it = kSameAsEnglish.find(language);
    return it != kSameAsEnglish.end() && it->second.contains(id);
}

bool MenuMayMatchEnglish(unsigned language, unsigned command) {
    if (language == kLanguageEnglish || language == 2057) return true;
    const auto it = kMenuSameAsEnglish.find(language);
    return it != kMenuSameAsEnglish.end() && it->second.contains(command);
}

std::size_t LeadingBlanks(const std::string& s) {
    return s.find_first_not_of(' ');
}

std::string FileOf(const StringTables& tables, unsigned language) {
    std::string names;
    for (const StringTableSource& s : tables.sources) {
        if (s.language == language) names += std::string(names.empty() ? "" : ", ") + s.file;
    }
    return names.empty() ? "language " + std::to_string(language) : names;
}

// Every fault found in the tables, one line each.
std::vector<std::string> TableProblems(const StringTables& tables) {
    std::vector<std::string> problems;
    const auto report = [&](unsigned language, const std::string& what) {
        problems.push_back(FileOf(tables, language) + ": " + what);
    };

    std::map<unsigned, std::map<unsigned, std::string>> strings;
    for (const StringTableEntry& e : tables.strings) strings[e.language][e.id] = e.text;
    std::map<unsigned, std::map<std::pair<unsigned, unsigned>, std::string>> menus;
    for (const MenuTextEntry& e : tables.menus) menus[e.language][{e.menu, e.command}] = e.text;

    const auto& english = strings[kLanguageEnglish];
    const auto& englishMenus = menus[kLanguageEnglish];

    for (const auto& [language, texts] : strings) {
        if (!kStringLanguages.contains(language)) report(language, "no string table for this id");
        for (unsigned id = kFirstTextId; id <= kLastTextId; ++id) {
            const auto it = texts.find(id);
            const auto en = english.find(id);
            if (it == texts.end()) {
                report(language, "string " + std::to_string(id) + " is missing");
                continue;
            }
            const std::string& text = it->second;
            const std::string tag = "string " + std::to_string(id) + " \"" + text + "\"";
            if (!IsValidUtf8(text)) report(language, tag + " is not valid UTF-8");
            if (text.find_first_not_of(' ') == std::string::npos)
                report(language, tag + " is blank");
            if (en == english.end()) continue;
            if (text == en->second && !MayMatchEnglish(language, id)) {
                report(language, tag + " is left in English");
            }
            if (LeadingBlanks(text) != LeadingBlanks(en->second)) {
                report(language, tag + " must start with as many blanks as in English");
            }
            if (std::count(text.begin(), text.end(), '\n') !=
                std::count(en->second.begin(), en->second.end(), '\n')) {
                report(language, tag + " must break lines where English does");
            }
        }
        const auto keeps = [&](unsigned id, const std::string& name) {
            const auto it = texts.find(id);
            if (it != texts.end() && it->second.find(name) == std::string::npos) {
                report(language, "string " + std::to_string(id) + " must keep \"" + name + "\"");
            }
        };
        keeps(161, "Ostrand");
        keeps(167, "Ostrand");
        keeps(174, "Murmel");
        keeps(175, "Murmel");
        keeps(181, "Murmel Alarm");
        keeps(191, "Zumble");
        keeps(193, "Vellumo");
    }

    for (const auto& [language, texts] : menus) {
        if (!kMenuLanguages.contains(language)) report(language, "no menu table for this id");
        for (unsigned menu : {kMenuSignedIn, kMenuSignedOut}) {
            for (unsigned command : MenuCommands(menu)) {
                if (command == 0) continue;
                const std::string tag =
                    "menu " + std::to_string(menu) + " item " + std::to_string(command);
                const auto it = texts.find({menu, command});
                if (it == texts.end()) {
                    report(language, tag + " is missing");
                    continue;
                }
                if (!IsValidUtf8(it->second)) report(language, tag + " is not valid UTF-8");
                if (it->second.empty()) report(language, tag + " is empty");
                const auto en = englishMenus.find({menu, command});
                if (en != englishMenus.end() && it->second == en->second &&
                    !MenuMayMatchEnglish(language, command)) {
                    report(language, tag + " \"" + it->second + "\" is left in English");
                }
            }
        }
    }
    return problems;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

TEST(ShippedStringTables, EnglishIsCompleteInBothKinds) {
    const StringTables& tables = BuiltInStringTables();
    EXPECT_EQ(ResolveStringTable(tables, kLanguageEnglish), kLanguageEnglish);
    EXPECT_EQ(ResolveMenuTable(tables, kLanguageEnglish), kLanguageEnglish);
    EXPECT_EQ(LoadText(tables, 1033, 173), " Sound");
    EXPECT_EQ(LoadText(tables, 1033, 200), "A new version is ready.\nInstall now?");
    EXPECT_EQ(LoadText(tables, 1033, 180),
              "Show part of message and sender\xE2\x80\x99s name when alerted");
}

TEST(ShippedStringTables, EveryTableIsCompleteTranslatedAndWellFormed) {
    const std::vector<std::string> problems = TableProblems(BuiltInStringTables());
    EXPECT_TRUE(problems.empty()) << Join(problems);
}

TEST(ShippedStringTables, EveryLanguageHasItsTables) {
    const StringTables& tables = BuiltInStringTables();
    for (unsigned language : kStringLanguages) {
        EXPECT_EQ(ResolveStringTable(tables, language), language) << "no string table";
    }
    for (unsigned language : kMenuLanguages) {
        EXPECT_EQ(ResolveMenuTable(tables, language), language) << "no menu table";
    }
}

// The check itself must catch each kind of fault.
TEST(TableProblems, FindsMissingUntranslatedMisshapenAndInvalidTexts) {
    std::vector<StringTableEntry> strings;
    std::vector<MenuTextEntry> menus;
    for (const StringTableEntry& e : BuiltInStringTables().strings) {
        if (e.language == kLanguageEnglish) strings.push_back(e);
    }
    for (const MenuTextEntry& e : BuiltInStringTables().menus) {
        if (e.language == kLanguageEnglish) menus.push_back(e);
    }
    ASSERT_EQ(strings.size(), kLastTextId - kFirstTextId + 1);
    std::vector<std::string> texts;  // keeps the test language's texts alive
    texts.reserve(strings.size());
    const std::size_t englishCount = strings.size();
    for (std::size_t i = 0; i < englishCount; ++i) {
        texts.push_back("xx " + std::string(strings[i].text));
    }
    for (std::size_t i = 0; i < englishCount; ++i) {
        const unsigned id = strings[i].id;
        std::string& t = texts[i];
        if (id >= 173 && id <= 181 && id != 180) t = " " + t;  // keep the leading blank
        if (id == 191 || id == 193) t = strings[i].text;
        if (id == 162) continue;             // missing
        if (id == 163) t = "Login";          // left in English
        if (id == 164) t = "\xC3(";          // invalid UTF-8
        if (id == 173) t = "Ton";            // lost its leading blank
        if (id == 200) t = "Neu. Jetzt?";    // lost its line break
        if (id == 181) t = " Run at start";  // lost the product name
        strings.push_back({7, id, t.c_str()});
    }
    menus.push_back({7, 179, 32780, "Anmelden"});
    menus.push_back({7, 179, 32791, "Settings"});
    menus.push_back({1234, 179, 32780, "x"});
    const StringTables tables{strings, menus, {}};

    const std::string found = Join(TableProblems(tables));
    for (const char* expected :
         {"string 162 is missing", "string 163 \"Login\" is left in English",
          "string 164 \"\xC3(\" is not valid UTF-8", "string 173 \"Ton\" must start with",
          "string 200 \"Neu. Jetzt?\" must break lines", "string 181 must keep \"Murmel Alarm\"",
          "menu 179 item 32791 \"Settings\" is left in English", "menu 152 item 32785 is missing",
          "language 1234: no menu table for this id"}) {
        EXPECT_NE(found.find(expected), std::string::npos) << expected << "\nin:\n" << found;
    }
    EXPECT_EQ(found.find("string 165"), std::string::npos) << found;
    EXPECT_EQ(found.find("string 191"), std::string::npos) << found;
}

}  // namespace
