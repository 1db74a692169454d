#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeNetworkStatus.h"
#include "net/CookieStore.h"
#include "net/HttpRequest.h"
#include "net/Utf8Text.h"

TEST(EnsureScheme, PrefixesHttpsUnlessTextStartsWithHttp) {
    EXPECT_EQ(EnsureScheme("web.example/ping"), "https://web.example/ping");
    EXPECT_EQ(EnsureScheme("http://web.example"), "http://web.example");
    EXPECT_EQ(EnsureScheme("https://web.example"), "https://web.example");
    EXPECT_EQ(EnsureScheme("httpd.example/x"), "httpd.example/x");
    EXPECT_EQ(EnsureScheme("web.example/http"), "https://web.example/http");
    EXPECT_EQ(EnsureScheme("HTTP://web.example"), "https://HTTP://web.example");
    EXPECT_EQ(EnsureScheme(""), "https://");
}

TEST(SplitCookies, KeepsEmptyPiecesAndTrimsEachPiece) {
    StringList list{"stale"};
    SplitCookies(list, " a=1 ; b=2;");
    EXPECT_EQ(list, (StringList{"a=1", "b=2", ""}));
    SplitCookies(list, "");
    EXPECT_EQ(list, (StringList{""}));
    SplitCookies(list, "sid=x");
    EXPECT_EQ(list, (StringList{"sid=x"}));
    SplitCookies(list, ";;\t c = d \t");
    EXPECT_EQ(list, (StringList{"", "", "c = d"}));
}

TEST(CookieEntry, NameBeforeFirstEqualsValueCutAtSecond) {
    auto check = [](const std::string& entry, const std::string& name, const std::string& value) {
        const CookieEntry parsed = ParseCookieEntry(entry);
        EXPECT_EQ(parsed.name, name) << entry;
        EXPECT_EQ(parsed.value, value) << entry;
    };
    check("sid=a=b", "sid", "a");
    check("flag", "flag", "");
    check("k=", "k", "");
    check("=v", "", "v");
    check("", "", "");
}

TEST(CookieEntry, PathIsTheDirectoryOfTheAddress) {
    EXPECT_EQ(CookiePathOf(""), "/");
    EXPECT_EQ(CookiePathOf("/"), "/");
    EXPECT_EQ(CookiePathOf("/ping"), "/");
    EXPECT_EQ(CookiePathOf("/plugin/version.json?a=/b/c"), "/plugin");
    EXPECT_EQ(CookiePathOf("/auth/user/isvalid"), "/auth/user");
    EXPECT_EQ(CookiePathOf("/dir/"), "/dir");
}

TEST(Utf8Text, KeepsValidTextAndReplacesEachBadSequence) {
    const std::string valid = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
    EXPECT_EQ(ReplaceInvalidUtf8(valid), valid);
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(ReplaceInvalidUtf8("a\xE2\x82"), "a" + bad);                     // cut short
    EXPECT_EQ(ReplaceInvalidUtf8("\xE2\x82z"), bad + "z");                     // cut short inside
    EXPECT_EQ(ReplaceInvalidUtf8("\x80x"), bad + "x");                         // stray continuation
    EXPECT_EQ(ReplaceInvalidUtf8("\xC0\xAF"), bad + bad);                      // overlong "/"
    EXPECT_EQ(ReplaceInvalidUtf8("\xED\xA0\x80"), bad + bad + bad);            // surrogate
    EXPECT_EQ(ReplaceInvalidUtf8("\xF4\x90\x80\x80"), bad + bad + bad + bad);  // above U+10FFFF
    EXPECT_EQ(ReplaceInvalidUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(HttpRequest, RefusesOfflineAndForeignSchemesWithoutTouchingTheResponse) {
    FakeNetworkStatus offline(false);
    std::string response = "kept";
    std::uint32_t status = 7;
    EXPECT_EQ(
        HttpRequest(offline, HttpVerb::Get, "http://127.0.0.1:1/", {}, {}, {}, response, &status),
        0);
    EXPECT_EQ(offline.asked, 1);

    FakeNetworkStatus online(true);
    EXPECT_EQ(
        HttpRequest(online, HttpVerb::Get, "ftp://127.0.0.1:1/x", {}, {}, {}, response, &status),
        0);
    EXPECT_EQ(HttpRequest(online, HttpVerb::Get, "http://", {}, {}, {}, response, &status), 0);
    EXPECT_EQ(response, "kept");
    EXPECT_EQ(status, 7u);
}
