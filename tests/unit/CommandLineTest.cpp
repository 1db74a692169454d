#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

using Action = CommandLine::Action;

TEST(CommandLine, OptionsDecideBetweenRunningAnsweringAndRefusing) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string refused;
    } cases[] = {
        {{}, Action::Run, ""},
        // Arguments that are no options were always ignored.
        {{"file.txt", "-"}, Action::Run, ""},
        {{"--help"}, Action::Help, ""},
        {{"-h"}, Action::Help, ""},
        {{"--version"}, Action::Version, ""},
        {{"--version", "--help"}, Action::Version, ""},
        {{"--help", "--bogus"}, Action::Help, ""},
        {{"--bogus", "--help"}, Action::Refuse, "--bogus"},
        {{"-x"}, Action::Refuse, "-x"},
        {{"--help=yes"}, Action::Refuse, "--help=yes"},
        {{"--Version"}, Action::Refuse, "--Version"},
        // After "--" nothing is an option.
        {{"--", "--help", "-x"}, Action::Run, ""},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.action, c.action) << joined;
        EXPECT_EQ(line.refused, c.refused) << joined;
    }
}

TEST(CommandLine, AnswersGoToTheRightStreamWithTheRightCode) {
    std::string out, err;
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine({"--version"}), "murmel-alarm", out, err), 0);
    EXPECT_EQ(out, std::string("Murmel Alarm ") + MURMEL_VERSION + "\n");
    EXPECT_EQ(err, "");

    out.clear();
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine({"--help"}), "murmel-alarm", out, err), 0);
    EXPECT_EQ(out.rfind("Usage: murmel-alarm [--help] [--version]", 0), 0u) << out;
    EXPECT_NE(out.find("--display"), std::string::npos) << out;
    EXPECT_EQ(err, "");

    out.clear();
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine({"--frobnicate"}), "murmel-alarm", out, err), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "murmel-alarm: unknown option '--frobnicate'\n" + UsageLine("murmel-alarm"));
}

}  // namespace
