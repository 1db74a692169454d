#include <gtest/gtest.h>

#include "config/KeyFileSalvage.h"

namespace {

using namespace std::string_literals;

// Lines a key-file reader accepts are read as it reads them (the fuzz target
// checks that against GLib); these are the lines it refuses.
TEST(KeyFileSalvageTest, KeepsWhatCanBeReadAroundWhatCannot) {
    const struct {
        const char* what;
        std::string text;
        KeyFileValues expected;
    } cases[] = {
        {"lines without an equals sign or a key",
         "[Murmel Alarm]\nemail=\nsound=3\nno equals sign\n=2\npreview=FALSE\n",
         {{"email", ""}, {"sound", "3"}, {"preview", "FALSE"}}},
        {"values before any group belong to none",
         "sound=7\n[Murmel Alarm]\nalert=false\n",
         {{"alert", "false"}}},
        {"a malformed header ends the group",
         "[Murmel Alarm]\nsound=1\n[Murmel Alarm\nalert=0\n[Murmel "
         "Alarm]x\npreview=1\n[]\nemail=a\n",
         {{"sound", "1"}}},
        {"bad key names, non-UTF-8 and a foreign encoding are left out",
         "[Murmel "
         "Alarm]\nname[de]=x\na]=1\nemail=\xff\xfe\n\xc3\x28=3\nEncoding=latin1\nsound="
         "\\s\xc3\xa9\n",
         {{"sound", " \xc3\xa9"}}},
        {"a NUL ends its line",
         "[Murmel Alarm]\nsound=1\0junk\nalert=on\n"s,
         {{"sound", "1"}, {"alert", "on"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SalvageKeyFileGroup(c.text, "Murmel Alarm"), c.expected) << c.what;
    }
}

}  // namespace
