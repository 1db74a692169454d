#include <gtest/gtest.h>

#include "config/StringFile.h"

namespace {

StringFileError ErrorOf(std::string_view text) {
    StringFile file;
    StringFileError error;
    EXPECT_FALSE(ParseStringFile(text, file, error)) << text;
    return error;
}

TEST(ParseStringFile, ReadsStringsMenusAndEscapes) {
    const std::string text =
        "\xEF\xBB\xBF# German\r\n\nlang 7\r\n"
        "173 \" Ton\"\n"
        "200 \"Bereit.\\nJetzt?\"\n"
        "166 \"Sag \\\"Hallo\\\" \\\\ # kein Kommentar\"\n"
        "  # indented comment\n"
        "menu 152 32785 \"E-Mail\"\n";
    StringFile file;
    StringFileError error;
    ASSERT_TRUE(ParseStringFile(text, file, error)) << error.line << ": " << error.message;
    EXPECT_EQ(file.language, 7u);
    ASSERT_EQ(file.strings.size(), 3u);
    EXPECT_EQ(file.strings[0].text, " Ton");
    EXPECT_EQ(file.strings[1].text, "Bereit.\nJetzt?");
    EXPECT_EQ(file.strings[2].text, "Sag \"Hallo\" \\ # kein Kommentar");
    ASSERT_EQ(file.menus.size(), 1u);
    EXPECT_EQ(file.menus[0].menu, 152u);
    EXPECT_EQ(file.menus[0].command, 32785u);
    EXPECT_EQ(file.menus[0].text, "E-Mail");
}

TEST(ParseStringFile, MalformedLinesAreReportedWithTheirLineNumber) {
    const std::pair<const char*, int> cases[] = {
        {"lang 7\n161 Konto\n", 2},          // no quotes
        {"lang 7\n161 \"Konto\n", 2},        // no closing quote
        {"lang 7\n\n161 \"Konto\" x\n", 3},  // text after the quote
        {"lang 7\n161 \"a\\tb\"\n", 2},      // unknown escape
        {"lang 7\n160 \"x\"\n", 2},          // outside the table
        {"lang 7\n212 \"x\"\n", 2},
        {"lang 7\n161 \"a\"\n161 \"b\"\n", 3},  // repeated id
        {"lang 7\nlang 8\n", 2},                // second lang line
        {"lang seven\n", 1},
        {"lang 7\nmenu 152 32780 \"x\"\n", 2},  // command of the other menu
        {"lang 7\nmenu 153 32780 \"x\"\n", 2},  // no such menu
        {"lang 7\nmenu 179 0 \"x\"\n", 2},      // separators have no text
        {"lang 7\nmenu 179 32783 \"a\"\nmenu 179 32783 \"b\"\n", 3},
        {"lang 7\nlanguage 7\n", 2},
        {"lang 7\n161\"x\"\n", 2},
        {"lang 7\n1612345678901 \"x\"\n", 2},
    };
    for (const auto& [text, line] : cases) {
        const StringFileError error = ErrorOf(text);
        EXPECT_EQ(error.line, line) << text;
        EXPECT_FALSE(error.message.empty()) << text;
    }
}

TEST(ParseStringFile, AFileNeedsALanguageAndSomeText) {
    EXPECT_EQ(ErrorOf("161 \"x\"\n").line, 0);
    EXPECT_EQ(ErrorOf("# nothing\nlang 7\n").line, 0);
}

}  // namespace
