#include <gtest/gtest.h>

#include "net/RedirectRule.h"

TEST(RedirectRule, FollowsOnlyWhatKeepsTheRequestSafe) {
    using V = RedirectVerdict;
    struct Case {
        const char* name;
        long status;
        const char* from;
        const char* to;
        bool body;
        int followed;
        V verdict;
    };
    const char* site = "https://web.example/plugin/version.json";
    const Case cases[] = {
        {"plain answer", 200, site, "", false, 0, V::NotARedirect},
        {"3xx without Location", 302, site, "", false, 0, V::NotARedirect},
        {"not a redirect code", 304, site, "https://web.example/x", false, 0, V::NotARedirect},
        {"same origin", 302, site, "https://web.example/other", false, 0, V::Follow},
        {"fifth redirect", 301, site, "https://web.example/x", false, 4, V::Follow},
        {"sixth redirect", 301, site, "https://web.example/x", false, 5, V::Refuse},
        {"https to http", 302, site, "http://web.example/x", false, 0, V::Refuse},
        {"https to http, other port", 307, site, "http://web.example:443/x", false, 0, V::Refuse},
        {"http to https", 302, "http://web.example/", "https://web.example/", false, 0, V::Follow},
        {"other scheme", 302, site, "ftp://web.example/x", false, 0, V::Refuse},
        {"GET to another host", 302, site, "https://cdn.example/x", false, 0, V::Follow},
        {"POST 307 to another host", 307, site, "https://evil.example/x", true, 0, V::Refuse},
        {"POST 308 to another port", 308, site, "https://web.example:8443/x", true, 0, V::Refuse},
        {"POST 307 default port spelt out", 307, site, "https://WEB.example:443/y", true, 0,
         V::Follow},
        {"POST 307 same origin", 307, site, "https://web.example/auth", true, 0, V::Follow},
        {"POST 303 elsewhere becomes a GET", 303, site, "https://other.example/", true, 0,
         V::Follow},
        {"unreadable target", 302, site, "https://", false, 0, V::Refuse},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeRedirect(c.status, c.from, c.to, c.body, c.followed), c.verdict) << c.name;
}
