#include <gtest/gtest.h>

#include "config/LoadText.h"

namespace {

// Tables shaped like the shipped ones: Korean strings under 18 and menus
// under 1042, Portuguese (Portugal) strings under 2070 and menus under 22,
// Irish texts under 145.
const StringTableEntry kStrings[] = {
    {9, 161, "Ostrand account"}, {9, 169, "Settings"},  {9, 170, "Close"},     {18, 161, "KO-161"},
    {18, 169, "KO-169"},         {2070, 161, "PT-161"}, {2070, 169, "PT-169"}, {145, 161, "GA-161"},
    {145, 169, "GA-169"},        {7, 161, "DE-161"},    {7, 169, "DE-169"},
};
const MenuTextEntry kMenus[] = {
    {9, 152, 32785, "Email"},     {9, 152, 32776, "Open"},       {9, 152, 32786, "Sign Out"},
    {9, 152, 32778, "Settings"},  {9, 152, 32779, "Quit"},       {9, 179, 32780, "Sign In"},
    {9, 179, 32791, "Settings"},  {9, 179, 32783, "Quit"},       {1042, 179, 32780, "KO-in"},
    {1042, 179, 32791, "KO-set"}, {1042, 179, 32783, "KO-quit"}, {22, 179, 32780, "PT-in"},
    {22, 179, 32791, "PT-set"},   {22, 179, 32783, "PT-quit"},
};
const StringTables kTables{kStrings, kMenus, {}};

TEST(LoadText, EnglishUnitedStatesReadsTheEnglishTables) {
    EXPECT_EQ(ResolveStringTable(kTables, 1033), 9u);
    EXPECT_EQ(ResolveMenuTable(kTables, 1033), 9u);
    EXPECT_EQ(LoadText(kTables, 1033, 161), "Ostrand account");
}

TEST(LoadText, KoreanStringsAndMenusComeFromDifferentTables) {
    EXPECT_EQ(ResolveStringTable(kTables, 1042), 18u);
    EXPECT_EQ(ResolveMenuTable(kTables, 1042), 1042u);
    EXPECT_EQ(LoadText(kTables, 1042, 169), "KO-169");
    EXPECT_EQ(LoadMenu(kTables, 1042, 179)[0].text, "KO-in");
}

TEST(LoadText, PortuguesePortugalUsesItsStringsAndTheGeneralMenus) {
    EXPECT_EQ(ResolveStringTable(kTables, 2070), 2070u);
    EXPECT_EQ(ResolveMenuTable(kTables, 2070), 22u);
    EXPECT_EQ(LoadText(kTables, 2070, 161), "PT-161");
    EXPECT_EQ(LoadMenu(kTables, 2070, 179)[1].text, "PT-set");
    // Brazil has no table of its own here and reads the general menus too.
    EXPECT_EQ(ResolveStringTable(kTables, 1046), 9u);
    EXPECT_EQ(ResolveMenuTable(kTables, 1046), 22u);
}

TEST(LoadText, IrishFindsItsTextsUnderTheirOwnIdBeforeEnglish) {
    EXPECT_EQ(ResolveStringTable(kTables, 2108), 145u);
    EXPECT_EQ(LoadText(kTables, 2108, 161), "GA-161");
    // A text the Irish table lacks is English.
    EXPECT_EQ(LoadText(kTables, 2108, 170), "Close");
    // The Irish texts are keyed by the Scottish Gaelic id.
    EXPECT_EQ(LoadText(kTables, 1169, 161), "GA-161");
}

TEST(LoadText, PrimaryLanguageTableServesRegionalVariants) {
    EXPECT_EQ(LoadText(kTables, 3079, 169), "DE-169");  // de-AT
}

TEST(LoadText, MissingTextsFallBackToEnglishThenEmpty) {
    EXPECT_EQ(LoadText(kTables, 1031, 170), "Close");
    EXPECT_EQ(LoadText(kTables, 1031, 300), "");
    EXPECT_EQ(LoadText(kTables, 9, 162), "");
}

TEST(LoadMenu, ItemsFollowTheFixedLayoutWithSeparators) {
    const std::vector<TrayMenuItem> signedIn = LoadMenu(kTables, 1033, 152);
    ASSERT_EQ(signedIn.size(), 7u);
    const unsigned commands[] = {32785, 0, 32776, 32786, 32778, 0, 32779};
    const char* texts[] = {"Email", "", "Open", "Sign Out", "Settings", "", "Quit"};
    for (std::size_t i = 0; i < signedIn.size(); ++i) {
        EXPECT_EQ(signedIn[i].commandId, commands[i]) << i;
        EXPECT_EQ(signedIn[i].text, texts[i]) << i;
    }
    const std::vector<TrayMenuItem> signedOut = LoadMenu(kTables, 1042, 179);
    ASSERT_EQ(signedOut.size(), 4u);
    EXPECT_EQ(signedOut[2].commandId, 0u);
    EXPECT_EQ(signedOut[3].text, "KO-quit");
    // Korean has no menu 152 texts here: each item falls back to English.
    EXPECT_EQ(LoadMenu(kTables, 1042, 152)[2].text, "Open");
    EXPECT_TRUE(LoadMenu(kTables, 1033, 153).empty());
}

}  // namespace
