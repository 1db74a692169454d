#include <gtest/gtest.h>

#include "config/ProfileText.h"
#include "config/Utf8.h"

namespace {

TEST(ProfileValue, NamesCompareWithoutCaseAndValuesAreTrimmed) {
    const std::string ini =
        "\xEF\xBB\xBF; comment\r\n[etc]\r\n  Web_URL =  https://a.example  \r\n"
        "[Sound]\nalert=false\n";
    EXPECT_EQ(ProfileValue(ini, "ETC", "web_url"), "https://a.example");
    EXPECT_EQ(ProfileValue(ini, "SOUND", "ALERT"), "false");
}

TEST(ProfileValue, MissingSectionOrKeyGivesEmptyText) {
    const std::string ini = "[ETC]\nprov_ip=a\n[SOUND]\nsound=1\n";
    EXPECT_EQ(ProfileValue(ini, "SOUND", "prov_ip"), "");
    EXPECT_EQ(ProfileValue(ini, "PREVIEW", "preview"), "");
    EXPECT_EQ(ProfileValue("", "ETC", "prov_ip"), "");
    EXPECT_EQ(ProfileValue("prov_ip=outside\n", "ETC", "prov_ip"), "");
}

TEST(ProfileValue, FirstMatchWinsAndQuotesAreDropped) {
    const std::string ini = "[ETC]\nemail=\"a@b\"\nemail=second\n[etc]\nemail=third\n";
    EXPECT_EQ(ProfileValue(ini, "ETC", "email"), "a@b");
    EXPECT_EQ(ProfileValue("[E]\nk='x'y\n", "E", "k"), "'x'y");
    EXPECT_EQ(ProfileValue("[E]\nk=a=b ; c\n", "E", "k"), "a=b ; c");
}

TEST(ProfileValue, LongLinesAreReadWholeAndCutAtWholeCharacters) {
    std::string value;
    for (int i = 0; i < 600; ++i) value += "\xC3\xA9";  // 600 characters, 1200 bytes
    const std::string ini = "[ETC]\nweb_url=" + value + value + "\nprov_ip=after\n";
    const std::string got = ProfileValue(ini, "ETC", "web_url");
    EXPECT_EQ(Utf8Length(got), kMaxProfileValueChars);
    EXPECT_TRUE(IsValidUtf8(got));
    EXPECT_EQ(ProfileValue(ini, "ETC", "prov_ip"), "after");
}

TEST(Utf8, RejectsMalformedSequences) {
    EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xE2\x80\x99 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));           // Latin-1
}

TEST(Utf8, TruncateKeepsWholeCharacters) {
    EXPECT_EQ(Utf8Truncate("a\xE2\x80\x99"
                           "b",
                           2),
              "a\xE2\x80\x99");
    EXPECT_EQ(Utf8Truncate("ab", 5), "ab");
    EXPECT_EQ(Utf8Length("a\xE2\x80\x99"
                         "b"),
              3u);
}

}  // namespace
