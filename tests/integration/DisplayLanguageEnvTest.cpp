// The display language from the real process environment, through to the
// texts and menus it selects.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "config/LoadText.h"
#include "platform/linux/EnvDisplayLanguage.h"

namespace {

// The text a given table holds, read straight from the compiled data.
const char* TableText(unsigned language, unsigned id) {
    for (const StringTableEntry& e : BuiltInStringTables().strings) {
        if (e.language == language && e.id == id) return e.text;
    }
    return nullptr;
}

const char* TableMenuText(unsigned language, unsigned menu, unsigned command) {
    for (const MenuTextEntry& e : BuiltInStringTables().menus) {
        if (e.language == language && e.menu == menu && e.command == command) return e.text;
    }
    return nullptr;
}

class DisplayLanguageEnv : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
        SetDisplayLanguage(&language);
    }

    void TearDown() override { SetDisplayLanguage(nullptr); }

    // Expects the texts of `stringTable` and the menus of `menuTable`.
    void ExpectTables(unsigned stringTable, unsigned menuTable) {
        const char* text = TableText(stringTable, 169);
        const char* menu = TableMenuText(menuTable, 179, 32791);
        ASSERT_TRUE(text && menu) << "tables " << stringTable << "/" << menuTable << " absent";
        EXPECT_STRNE(text, TableText(kLanguageEnglish, 169));
        EXPECT_EQ(LoadText(169), text);
        const auto items = LoadMenu(179);
        ASSERT_EQ(items.size(), 4u);
        EXPECT_EQ(items[1].text, menu);
    }

    EnvDisplayLanguage language;
};

TEST_F(DisplayLanguageEnv, EnglishUnitedStates) {
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(language.LanguageId(), 1033u);
    EXPECT_EQ(LoadText(169), "Settings");
    EXPECT_EQ(LoadMenu(152)[2].text, "Open");
}

TEST_F(DisplayLanguageEnv, KoreanStringsAndMenusFromTheirOwnTables) {
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("LC_MESSAGES", "ko_KR.UTF-8", 1);
    EXPECT_EQ(language.LanguageId(), 1042u);
    ExpectTables(18, 1042);
}

TEST_F(DisplayLanguageEnv, PortuguesePortugalStringsWithTheGeneralMenus) {
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    setenv("LANGUAGE", "pt_PT:pt:en", 1);
    EXPECT_EQ(language.LanguageId(), 2070u);
    ExpectTables(2070, 22);
}

TEST_F(DisplayLanguageEnv, IrishReadsTheTableUnderItsOwnId) {
    setenv("LC_ALL", "ga_IE.UTF-8", 1);
    EXPECT_EQ(language.LanguageId(), 2108u);
    ExpectTables(145, 145);
}

TEST_F(DisplayLanguageEnv, TheLanguageListIsWalkedPastAnUnknownEntry) {
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("LANGUAGE", "xx:ar:en", 1);
    ExpectTables(14337, 14337);
    EXPECT_TRUE(TextsReadRightToLeft());
    setenv("LANGUAGE", "xx:fi", 1);
    ExpectTables(11, 11);
    EXPECT_FALSE(TextsReadRightToLeft());
}

TEST_F(DisplayLanguageEnv, AChangeAppliesToLaterLookups) {
    setenv("LANG", "ko_KR.UTF-8", 1);
    EXPECT_EQ(language.LanguageId(), 1042u);
    setenv("LANG", "pt_BR.UTF-8", 1);
    EXPECT_EQ(language.LanguageId(), 1046u);
    setenv("LANG", "C", 1);
    EXPECT_EQ(language.LanguageId(), 1033u);
}

}  // namespace
