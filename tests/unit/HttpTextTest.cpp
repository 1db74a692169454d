#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>
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

// The cookies the shared store holds after a request hands it `entries`,
// as "path name=value".
StringList StoredCookies(const std::string& object, const StringList& entries) {
    ClearCookieStore();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    UseCookieStore(handle.get());
    StoreRequestCookies(handle.get(), "web.example", object, entries);
    curl_slist* list = nullptr;
    curl_easy_getinfo(handle.get(), CURLINFO_COOKIELIST, &list);
    StringList stored;
    for (curl_slist* item = list; item; item = item->next) {
        std::string line = item->data;
        const std::string prefix = "web.example\tFALSE\t";
        if (line.rfind(prefix, 0) != 0) {
            stored.push_back("foreign line: " + line);
            continue;
        }
        line.erase(0, prefix.size());
        const auto pathEnd = line.find('\t');
        const auto nameStart = line.find('\t', line.find('\t', pathEnd + 1) + 1) + 1;
        const auto valueStart = line.find('\t', nameStart);
        stored.push_back(line.substr(0, pathEnd) + " " +
                         line.substr(nameStart, valueStart - nameStart) + "=" +
                         line.substr(valueStart + 1));
    }
    curl_slist_free_all(list);
    ClearCookieStore();
    return stored;
}

TEST(CookieEntry, StoredAsGivenOrNotAtAll) {
    const std::string nul(1, '\0');
    const struct {
        std::string object;
        StringList entries;
        StringList stored;
    } cases[] = {
        {"/plugin/version.json?a=/b",
         {"sid=a=b", "flag", "=v", ""},
         {"/plugin sid=a", "/plugin flag="}},
        {"/", {"sid=1", "sid=2"}, {"/ sid=2"}},
        // A tab, a line end or a zero byte would change the cookie the
        // store reads back; such entries are left out.
        {"/", {"a\tb=1", "c=2\r", "d" + nul + "x=3", "e=4" + nul + "y", "f=5"}, {"/ f=5"}},
        {"/dir" + nul + "x/page", {"g=6"}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(StoredCookies(c.object, c.entries), c.stored) << c.object;
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
