#include <gtest/gtest.h>

#include "config/JsonEscapes.h"

TEST(ReplaceLoneSurrogateEscapes, OnlyHalvesOfACharacterAreReplaced) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {R"("a\u00e9\u20ac")", R"("a\u00e9\u20ac")"},
        {R"("\ud83d\ude00")", R"("\ud83d\ude00")"},  // a pair, either case
        {R"("\uD83D\uDE00")", R"("\uD83D\uDE00")"},
        {R"("\ud83d")", R"("\ufffd")"},  // high at the end
        {R"("\ud83dx")", R"("\ufffdx")"},
        {R"("\ud83d\u0041")", R"("\ufffd\u0041")"},  // high before no low
        {R"("\ud83d\ud83d\ude00")", R"("\ufffd\ud83d\ude00")"},
        {R"("\ude00\ud83d")", R"("\ufffd\ufffd")"},  // the wrong order
        {R"("\\ud83d")", R"("\\ud83d")"},            // an escaped backslash
        {R"("\\\ud83d")", R"("\\\ufffd")"},
        {R"("\ud83")", R"("\ud83")"},  // no escape: left to the reader
        {R"("\ud83d\ude0")", R"("\ufffd\ude0")"},
        {"\\", "\\"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceLoneSurrogateEscapes(c.in), c.out) << c.in;
}
