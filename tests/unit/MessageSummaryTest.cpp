// What a toast shows for a message's data: the summary rules, the time
// text, the hidden preview and data that is no message at all.
#include <gtest/gtest.h>

#include "fakes/FakeDesktop.h"
#include "fakes/FakeEventLoop.h"
#include "fakes/FakeHtmlWindow.h"
#include "notify/CNotiHtmlDlg.h"
#include "notify/MessageSummary.h"
#include "notify/NotifyConfig.h"

namespace {

class FillToastTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppSettings.messagePreview = true;
        toast.Create(windows, loop, clock, 1);
        Page()->CompleteDocument("res:///html/toast.html");
    }
    void TearDown() override { AppSettings.messagePreview = true; }

    FakeHtmlWindow* Page() { return windows.WithPage(CNotiHtmlDlg::kPageId); }
    // What the page shows, as "part:text": the last fill, one call with
    // every part of the toast. A fill the page shows already makes no call.
    std::vector<std::string> Calls() {
        static const char* const kParts[] = {"setClose", "setSender", "setSendMsg", "setTime"};
        std::vector<std::string> out;
        if (Page()->calls.empty()) return out;
        const auto& last = Page()->calls.back();
        EXPECT_EQ(last.name, "setToast");
        EXPECT_EQ(last.args.size(), 4u);
        for (std::size_t k = 0; k < last.args.size() && k < 4; ++k)
            out.push_back(std::string(kParts[k]) + ":" + last.args[k]);
        return out;
    }
    std::string ShownSummary() {
        return Page()->calls.empty() ? "" : Page()->calls.back().args.at(2);
    }
    // Fills the toast with a media message of these lines and returns what
    // it summed up to; "(none)" when it gave nothing to show.
    std::string Media(const std::string& lines) {
        const std::string data =
            R"({"sender":"Kim","msgtype":1,"msg":")" + lines + R"(","sessionid":"s"})";
        return toast.FillToast(data) ? ShownSummary() : "(none)";
    }

    FakeHtmlWindowFactory windows;
    FakeEventLoop loop;
    FakeClock clock;
    CNotiHtmlDlg toast;
};

}  // namespace

TEST_F(FillToastTest, TextMessageFillsThePageInOrderWithTheFirstLineOnly) {
    clock.now.hour = 14;
    clock.now.minute = 5;
    const std::string data = R"({"sender":"Kim <b>","msg":"Hello\nsecond line","msgtype":0})";
    EXPECT_TRUE(toast.FillToast(data));
    EXPECT_EQ(toast.m_eventData, data);
    EXPECT_EQ(toast.m_timeText, "2 : 05 pm");
    const std::vector<std::string> expected = {"setClose:Close", "setSender:Kim <b>",
                                               "setSendMsg:Hello", "setTime:2 : 05 pm"};
    EXPECT_EQ(Calls(), expected);
}

TEST_F(FillToastTest, MediaMessagesAreSummedUpByTheirFirstLine) {
    EXPECT_EQ(Media("image\\nx\\nzumble"), "Zumble");
    EXPECT_EQ(Media("image\\nx\\ny"), "Image");
    EXPECT_EQ(Media("zumble"), "Zumble");
    EXPECT_EQ(Media("streams"), "Vellumo");  // contains "ams"
    EXPECT_EQ(Media("video"), "Video");
    EXPECT_EQ(Media("audio\\nnote.3gp"), "Voice message");
    EXPECT_EQ(Media("audio\\nsong.mp3"), "Audio");
    EXPECT_EQ(Media("contact"), "Contacts");
    EXPECT_EQ(Media("calendar"), "Event");
    EXPECT_EQ(Media("geo"), "Location");
    EXPECT_EQ(Media("doc"), "Document");
    EXPECT_EQ(Media("file\\nreport.pdf"), "report.pdf");
    EXPECT_EQ(Media("mixed\\ndoc,image"), "Document");
    EXPECT_EQ(Media("mixed\\nimage"), "Image");
    EXPECT_EQ(Media("mixed\\nvideo"), "Video");
    EXPECT_EQ(Media("mixed\\nzumble"), "Zumble");
    EXPECT_EQ(Media("sticker"), "not supported file");
    // The table's order decides: "image" wins over "video", and a match is
    // case-sensitive.
    EXPECT_EQ(Media("video image\\nx\\ny"), "Image");
    EXPECT_EQ(Media("Video"), "not supported file");
}

TEST_F(FillToastTest, MediaMessagesLackingALineTheirKindReadsShowNothing) {
    for (const char* lines :
         {"image", "image\\nx", "audio", "file", "mixed", "mixed\\nsticker", "file\\n"}) {
        SCOPED_TRACE(lines);
        const std::size_t calls = Page()->calls.size();
        EXPECT_EQ(Media(lines), "(none)");
        EXPECT_EQ(Page()->calls.size(), calls);
    }
}

TEST_F(FillToastTest, AFillThePageShowsAlreadyMakesNoCallButALoadGetsIt) {
    const std::string data = R"({"sender":"Kim","msg":"Hi","msgtype":0})";
    EXPECT_TRUE(toast.FillToast(data));
    EXPECT_TRUE(toast.FillToast(data));
    EXPECT_EQ(Page()->calls.size(), 1u);
    Page()->CompleteDocument("res:///html/toast.html");
    ASSERT_EQ(Page()->calls.size(), 2u) << "a page loaded again shows the toast's message";
    EXPECT_EQ(Page()->calls[1].args, Page()->calls[0].args);
    EXPECT_TRUE(toast.FillToast(data));
    EXPECT_EQ(Page()->calls.size(), 2u);
}

TEST_F(FillToastTest, OtherKindsShowTheirText) {
    EXPECT_TRUE(toast.FillToast(R"({"sender":"Kim","msg":"Hello","msgtype":7})"));
    EXPECT_EQ(ShownSummary(), "Hello");
    EXPECT_TRUE(toast.FillToast(R"({"sender":"Kim","msg":"video","msgtype":1.5})"));
    EXPECT_EQ(ShownSummary(), "Video") << "the integer part of the kind counts";
    EXPECT_TRUE(toast.FillToast(R"({"sender":"Kim","msg":"video","msgtype":1e300})"));
    EXPECT_EQ(ShownSummary(), "video") << "a kind beyond any integer is no media kind";
}

TEST_F(FillToastTest, PreviewOffHidesSenderAndTextWhateverTheKind) {
    AppSettings.messagePreview = false;
    for (const char* msg : {R"("msg":"secret","msgtype":0)", R"("msg":"image","msgtype":1)"}) {
        EXPECT_TRUE(toast.FillToast(std::string(R"({"sender":"Kim",)") + msg + "}"));
        const std::vector<std::string> expected = {
            "setClose:Close", "setSender:        ", "setSendMsg:Murmel New Messages",
            "setTime:2 : 05 pm"};
        EXPECT_EQ(Calls(), expected);
    }
    EXPECT_FALSE(toast.FillToast(R"({"sender":"","msg":"x","msgtype":0})"));
}

TEST_F(FillToastTest, EscapedAndDirectCharactersReadAlike) {
    ASSERT_TRUE(
        toast.FillToast(R"({"sender":"Zo\u00eb \ud83d\ude00","msg":"caf\u00e9","msgtype":0})"));
    const std::vector<std::string> escaped = Calls();
    ASSERT_TRUE(toast.FillToast(R"({"sender":"Zoë 😀","msg":"café","msgtype":0})"));
    EXPECT_EQ(Calls(), escaped);
    EXPECT_EQ(escaped.at(1), "setSender:Zoë 😀");
    EXPECT_EQ(escaped.at(2), "setSendMsg:café");
}

TEST_F(FillToastTest, LoneSurrogateEscapesReachThePageAsReplacementCharacters) {
    const std::string bad = "\xEF\xBF\xBD";
    // Half a character, as a page sends when it cuts a text between the two
    // halves of an emoji: the whole message is still shown.
    const struct {
        const char* data;
        std::string sender, summary;
    } cases[] = {
        {R"({"sender":"Ann \udc00","msg":"Hi","msgtype":0})", "Ann " + bad, "Hi"},
        {R"({"sender":"Ann \ud83d","msg":"Hi","msgtype":0})", "Ann " + bad, "Hi"},
        {R"({"sender":"Ann","msg":"a\ud83d\u0041","msgtype":0})", "Ann", "a" + bad + "A"},
        {R"({"sender":"Ann","msg":"file\n\udc00.pdf","msgtype":1})", "Ann", bad + ".pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        ASSERT_TRUE(toast.FillToast(c.data));
        ASSERT_EQ(Calls().size(), 4u);
        EXPECT_EQ(Calls()[1], "setSender:" + c.sender);
        EXPECT_EQ(Calls()[2], "setSendMsg:" + c.summary);
    }
}

TEST_F(FillToastTest, DataThatIsNoMessageShowsNothingAndLeavesThePage) {
    const char* cases[] = {
        "",
        "not json",
        R"({"sender":"Kim","msg":"Hi")",  // cut short
        R"(["Kim","Hi"])",
        R"("Kim")",
        R"({"msg":"Hi","msgtype":0})",
        R"({"sender":"Kim","msgtype":0})",
        R"({"sender":"Kim","msg":"Hi"})",  // no kind
        R"({"sender":"Kim","msg":"Hi","msgtype":"0"})",
        R"({"sender":"Kim","msg":"Hi","msgtype":[0]})",
        R"({"sender":7,"msg":"Hi","msgtype":0})",
        R"({"sender":"Kim","msg":{"a":1},"msgtype":0})",
    };
    for (const char* data : cases) {
        SCOPED_TRACE(data);
        EXPECT_FALSE(toast.FillToast(data));
        EXPECT_EQ(toast.m_eventData, data);
    }
    EXPECT_TRUE(Page()->calls.empty());
}

TEST_F(FillToastTest, APageStillLoadingGetsNoCallsButTheToastIsShowable) {
    CNotiHtmlDlg fresh;
    fresh.Create(windows, loop, clock, 1);
    EXPECT_TRUE(fresh.FillToast(R"({"sender":"Kim","msg":"Hi","msgtype":0})"));
    EXPECT_TRUE(windows.AllWithPage(CNotiHtmlDlg::kPageId).back()->calls.empty());
}

TEST(ToastTimeText, HoursUpToNoonAreAmAndLaterOnesPm) {
    const std::pair<LocalTime, const char*> cases[] = {
        {{2026, 1, 1, 0, 0, 0}, "0 : 00 am"},   {{2026, 1, 1, 0, 5, 0}, "0 : 05 am"},
        {{2026, 1, 1, 12, 0, 0}, "12 : 00 am"}, {{2026, 1, 1, 12, 30, 0}, "12 : 30 am"},
        {{2026, 1, 1, 13, 5, 0}, "1 : 05 pm"},  {{2026, 1, 1, 23, 59, 0}, "11 : 59 pm"},
    };
    for (const auto& [time, text] : cases) EXPECT_EQ(ToastTimeText(time), text);
}

TEST(SplitText, KeepsEmptyPiecesAndSplitsOnlyAtTheDelimiter) {
    EXPECT_EQ(SplitText("a\n\nb", "\n"), (StringList{"a", "", "b"}));
    EXPECT_EQ(SplitText("a\n", "\n"), (StringList{"a", ""}));
    EXPECT_EQ(SplitText("", "\n"), StringList{});
    EXPECT_EQ(SplitText("x\nax\nb", "\n"), (StringList{"x", "ax", "b"}));
    EXPECT_EQ(SplitText("a--b-c", "--"), (StringList{"a", "b-c"}));
}
