#include <gtest/gtest.h>

#include <string>

#include "net/VersionAnswer.h"

namespace {

// The callers' defaults, marked so that an untouched info is recognisable.
VersionInfo Marked() {
    VersionInfo info;
    info.newversion = "unchanged";
    return info;
}

VersionInfo Read(const std::string& json) {
    VersionInfo info = Marked();
    ReadVersionAnswer(json, info);
    return info;
}

std::string Answer(const std::string& data) {
    return R"({"success":true,"data":)" + data + "}";
}

}  // namespace

TEST(VersionAnswer, CopiesEveryMemberOfASuccessfulAnswer) {
    const VersionInfo info = Read(Answer(
        R"({"uptodate":"false","critical":"true","model":"m","osversion":"o",
            "platform":"p","downloadurl":"https://dl.example/x","newversion":"1.0.3"})"));
    EXPECT_EQ(info.uptodate, 0);
    EXPECT_EQ(info.critical, 1);
    EXPECT_EQ(info.model, "m");
    EXPECT_EQ(info.osversion, "o");
    EXPECT_EQ(info.platform, "p");
    EXPECT_EQ(info.downloadurl, "https://dl.example/x");
    EXPECT_EQ(info.newversion, "1.0.3");
}

TEST(VersionAnswer, FlagsAreClearedOnlyByTextContainingLowerCaseFalse) {
    EXPECT_EQ(Read(Answer(R"({"uptodate":false})")).uptodate, 0);
    EXPECT_EQ(Read(Answer(R"({"uptodate":"false"})")).uptodate, 0);
    EXPECT_EQ(Read(Answer(R"({"uptodate":"is false here"})")).uptodate, 0);
    EXPECT_EQ(Read(Answer(R"({"uptodate":"FALSE"})")).uptodate, 1);
    EXPECT_EQ(Read(Answer(R"({"uptodate":""})")).uptodate, 1);
    EXPECT_EQ(Read(Answer(R"({"uptodate":null})")).uptodate, 1);
    EXPECT_EQ(Read(Answer(R"({"uptodate":false})")).critical, 0);  // missing: not required
    EXPECT_EQ(Read(Answer(R"({"critical":true})")).critical, 1);
    EXPECT_EQ(Read(Answer(R"({"critical":"true"})")).critical, 1);
    EXPECT_EQ(Read(Answer(R"({"critical":"no"})")).critical, 1);
    EXPECT_EQ(Read(Answer(R"({"critical":"0"})")).critical, 1);
}

TEST(VersionAnswer, SuccessCountsByTruthOfAnyValue) {
    const std::string data = R"({"newversion":"2"})";
    for (const char* yes : {"true", "1", "-0.5", R"("false")", R"("x")", "[0]", R"({"a":1})"})
        EXPECT_EQ(Read(R"({"data":)" + data + R"(,"success":)" + yes + "}").newversion, "2") << yes;
    for (const char* no : {"false", "0", "0.0", "null", R"("")", "[]", "{}"})
        EXPECT_EQ(Read(R"({"data":)" + data + R"(,"success":)" + no + "}").newversion, "unchanged")
            << no;
    EXPECT_EQ(Read(R"({"data":)" + data + "}").newversion, "unchanged");
}

TEST(VersionAnswer, UnusableAnswersLeaveTheDefaults) {
    for (const char* text : {"", "<html><body>500</body></html>", "{", R"({"success":true)", "5",
                             R"("text")", "true", "null", R"([{"success":true}])"}) {
        const VersionInfo info = Read(text);
        EXPECT_EQ(info.newversion, "unchanged") << text;
        EXPECT_EQ(info.uptodate, 1) << text;
        EXPECT_EQ(info.critical, 0) << text;
    }
}

TEST(VersionAnswer, DataOrMembersOfAnotherShapeReadAsMissing) {
    for (const char* data : {"5", R"("s")", "true", "[1,2]", "null"}) {
        const VersionInfo info = Read(Answer(data));
        EXPECT_EQ(info.uptodate, 1) << data;
        EXPECT_EQ(info.critical, 0) << data;
        EXPECT_EQ(info.newversion, "") << data;
    }
    const VersionInfo info = Read(Answer(
        R"({"uptodate":0,"critical":[],"newversion":1.5,"downloadurl":{"a":"b"},"model":true})"));
    EXPECT_EQ(info.uptodate, 1);
    EXPECT_EQ(info.critical, 0);
    EXPECT_EQ(info.newversion, "");
    EXPECT_EQ(info.downloadurl, "");
    EXPECT_EQ(info.model, "true");
}

TEST(VersionAnswer, DeepNestingIsRefusedWithoutThrowing) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(Read(R"({"success":true,"data":)" + deep + "}").newversion, "unchanged");
    EXPECT_EQ(Read(deep).newversion, "unchanged");
}
