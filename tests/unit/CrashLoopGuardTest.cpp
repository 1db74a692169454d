#include <gtest/gtest.h>

#include <vector>

#include "desktop/CrashLoopGuard.h"

TEST(CrashLoopGuard, GivesUpOnlyAtTheThirdDeathInQuickSuccession) {
    struct Case {
        const char* what;
        std::vector<std::uint64_t> deaths;  // monotonic milliseconds
        std::vector<bool> reloads;
    };
    const Case cases[] = {
        {"one death", {5000}, {true}},
        {"three quick deaths", {1000, 3000, 5000}, {true, true, false}},
        {"a pause breaks the loop", {1000, 3000, 24000, 26000}, {true, true, true, true}},
        {"just under the window", {0, 19999, 39998}, {true, true, false}},
        {"exactly the window apart", {0, 20000, 40000}, {true, true, true}},
        {"stays given up", {0, 1, 2, 60000}, {true, true, false, false}},
        {"a clock going back starts afresh", {5000, 1000, 2000}, {true, true, true}},
    };
    for (const Case& c : cases) {
        CrashLoopGuard guard;
        std::vector<bool> got;
        for (std::uint64_t at : c.deaths) got.push_back(guard.ShouldReload(at));
        EXPECT_EQ(got, c.reloads) << c.what;
    }
}

TEST(CrashLoopGuard, ALoadTheProgramAsksForStartsAfresh) {
    CrashLoopGuard guard;
    guard.ShouldReload(0);
    guard.ShouldReload(1);
    EXPECT_FALSE(guard.ShouldReload(2));
    EXPECT_TRUE(guard.GaveUp());
    guard.Reset();
    EXPECT_FALSE(guard.GaveUp());
    EXPECT_TRUE(guard.ShouldReload(3));
    EXPECT_TRUE(guard.ShouldReload(4));
    EXPECT_FALSE(guard.ShouldReload(5));
}
