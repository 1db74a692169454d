#include <gtest/gtest.h>

#include <string>

#include "net/UrlEncode.h"

TEST(UrlEncode, EncodesSeparatorsBlanksAndNonAscii) {
    EXPECT_EQ(UrlEncode(""), "");
    EXPECT_EQ(UrlEncode("a b"), "a%20b");
    EXPECT_EQ(UrlEncode("x=1&y=2"), "x%3D1%26y%3D2");
    EXPECT_EQ(UrlEncode("https://a.b/c?d"), "https%3A%2F%2Fa.b%2Fc%3Fd");
    EXPECT_EQ(UrlEncode("\t"), "%09");
    EXPECT_EQ(UrlEncode(std::string(1, '\0')), "%00");
    EXPECT_EQ(UrlEncode("~*"), "%7E*");
    EXPECT_EQ(UrlEncode("\xC3\xA9"), "%C3%A9");  // e with acute accent
    EXPECT_EQ(UrlEncode("\x7F\xFF"), "%7F%FF");
}

TEST(UrlEncode, LeavesOnlyLettersDigitsAndSevenMarks) {
    const std::string kept =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'()*-._";
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        const std::string out = UrlEncode(in);
        if (kept.find(static_cast<char>(b)) != std::string::npos) {
            EXPECT_EQ(out, in) << "byte " << b;
        } else {
            ASSERT_EQ(out.size(), 3u) << "byte " << b;
            EXPECT_EQ(out[0], '%');
            EXPECT_EQ(std::stoi(out.substr(1), nullptr, 16), b);
            EXPECT_EQ(out.substr(1), [&] {
                std::string upper = out.substr(1);
                for (char& c : upper) c = static_cast<char>(std::toupper(c));
                return upper;
            }());
        }
    }
}
