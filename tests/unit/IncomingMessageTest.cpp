// A new message on the controller: which toast slot shows it, how the stack
// moves down, which sound plays and which conversation a click opens.
#include <gtest/gtest.h>

#include "notify/AlertSound.h"
#include "notify/NotifyConfig.h"
#include "unit/ControllerFixture.h"

namespace {

class IncomingMessageTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        AppSettings.alertSound = true;
        AppSettings.soundIndex = "0";
        AppSettings.messagePreview = true;
        Start();
        dlg.WebClientWindow().SetActiveForTest(false);
    }
    void TearDown() override {
        AppSettings.alertSound = true;
        AppSettings.soundIndex.clear();
        ControllerTest::TearDown();
    }

    static std::string Message(int n) {
        const std::string i = std::to_string(n);
        return R"({"sender":"m)" + i + R"(","msg":"text )" + i + R"(","msgtype":0,"sessionid":"s)" +
               i + R"("})";
    }
    // The web client reports message n.
    void Arrives(int n) {
        Host()->External("ScriptToApp", {"304", Message(n)});
        fake.loop.Pump();
    }
    // The toast in slot k.
    FakeHtmlWindow* Toast(int k) { return static_cast<FakeHtmlWindow*>(dlg.Toasts()[k].Window()); }
    std::size_t Fills() {
        std::size_t n = 0;
        for (FakeHtmlWindow* page : fake.htmlWindows.AllWithPage(CNotiHtmlDlg::kPageId))
            n += CallsOf(page, "setToast").size();
        return n;
    }
    // What each slot shows: the sender it was last given, "-" when hidden.
    std::string Stack() {
        std::string out;
        for (int k = 0; k < ToastStack::kCount; ++k) {
            std::string shown = "-";
            if (Toast(k)->visible) {
                const auto fills = CallsOf(Toast(k), "setToast");
                shown = fills.empty() ? "?" : fills.back().at(1);
            }
            out += (k ? " " : "") + shown;
        }
        return out;
    }
    void LoadToastPages() {
        for (int k = 0; k < ToastStack::kCount; ++k)
            Toast(k)->CompleteDocument("res:///html/toast.html");
    }
};

}  // namespace

TEST_F(IncomingMessageTest, TheStackGrowsUpwardsAndLeavesGapsEmpty) {
    LoadToastPages();
    Arrives(1);
    EXPECT_EQ(Stack(), "m1 - - - -");
    EXPECT_EQ(Toast(0)->GetRect(), (Rect{1280 - 238, 760 - 76, 1280 - 10, 760 - 10}));
    Arrives(2);
    Arrives(3);
    Arrives(4);
    EXPECT_EQ(Stack(), "m1 m2 m3 m4 -");

    // Slot 0 closed and slot 3 run out: the next one still goes above slot 2
    // when slot 3 is the highest gap, and never back into slot 0.
    Toast(3)->Element("div_close");
    Toast(0)->Element("div_close");
    fake.loop.Pump();
    Arrives(5);
    EXPECT_EQ(Stack(), "- m2 m3 m5 -");
    EXPECT_TRUE(dlg.Toasts()[0].m_eventData.empty());
}

TEST_F(IncomingMessageTest, AFullStackMovesDownAndRestartsTheMovedToasts) {
    LoadToastPages();
    for (int n = 1; n <= 5; ++n) Arrives(n);
    EXPECT_EQ(Stack(), "m1 m2 m3 m4 m5");
    fake.loop.Advance(3000);
    const auto hides = [&] {
        int n = 0;
        for (int k = 0; k < ToastStack::kCount; ++k) n += Toast(k)->timesHidden;
        return n;
    };
    const int hidden = hides();
    Arrives(6);
    EXPECT_EQ(Stack(), "m2 m3 m4 m5 m6");
    // The top toast takes the new message without being unmapped first.
    EXPECT_EQ(hides(), hidden);
    EXPECT_EQ(dlg.Toasts()[0].m_eventData, Message(2));
    fake.loop.Advance(4999);
    EXPECT_EQ(Stack(), "m2 m3 m4 m5 m6") << "each moved toast got five new seconds";
    fake.loop.Advance(1);
    EXPECT_EQ(Stack(), "- - - - -");

    // A message that shows nothing still drops the lowest one and frees
    // the top slot.
    for (int n = 1; n <= 5; ++n) Arrives(n);
    dlg.ShowNotification(R"({"sender":"a","msg":"image","msgtype":1})", 2);
    fake.loop.Pump();
    EXPECT_EQ(Stack(), "m2 m3 m4 m5 -");
}

TEST_F(IncomingMessageTest, AFullStackMovesItsWindowsAndFillsOnlyTheTopOne) {
    LoadToastPages();
    for (int n = 1; n <= 5; ++n) Arrives(n);
    const std::size_t fills = Fills();
    FakeHtmlWindow* lowest = Toast(0);
    Arrives(6);
    EXPECT_EQ(Stack(), "m2 m3 m4 m5 m6");
    EXPECT_EQ(Fills(), fills + 1) << "the moved toasts keep their pages";
    EXPECT_EQ(Toast(4), lowest) << "the dropped message's window takes the new one";
    for (int k = 0; k < ToastStack::kCount; ++k) {
        EXPECT_EQ(Toast(k)->GetRect(),
                  (Rect{1042, 760 - 71 * (k + 1) - 5, 1270, 760 - 71 * k - 10}));
        EXPECT_EQ(dlg.Toasts()[k].m_left, 1042);
    }

    // In a new minute the moved toasts show the time of the move, as the
    // new one does.
    fake.clock.now.minute += 1;
    Arrives(7);
    EXPECT_EQ(Stack(), "m3 m4 m5 m6 m7");
    EXPECT_EQ(Fills(), fills + 1 + ToastStack::kCount);
    for (int k = 0; k < ToastStack::kCount; ++k)
        EXPECT_EQ(CallsOf(Toast(k), "setToast").back().at(3), "2 : 06 pm");
}

TEST_F(IncomingMessageTest, MovingDownAcrossAGapDuplicatesTheMessageBelowIt) {
    LoadToastPages();
    for (int n = 1; n <= 5; ++n) Arrives(n);
    Toast(3)->Element("div_close");
    fake.loop.Pump();
    fake.loop.Advance(1000);
    Arrives(6);
    EXPECT_EQ(Stack(), "m2 m3 m3 m5 m6");
    // Slot 2 was not refilled, so it runs out on its first five seconds.
    fake.loop.Advance(4000);
    EXPECT_EQ(Stack(), "m2 m3 - m5 m6");
}

TEST_F(IncomingMessageTest, SoundFileComesFromTheChosenIndexAndFallsBack) {
    const std::string work = fake.module.workingDirectory + "sound/sound";
    const std::vector<std::string> dirs = InstalledDataDirectories(fake.module);
    ASSERT_EQ(dirs.size(), 2u);
    const std::string beside = dirs[0] + "/sound/sound";
    const std::string configured = dirs[1] + "/sound/sound";
    fake.sound.existing = {work + "1.wav", work + "5.wav", beside + "2.wav", configured + "2.wav",
                           configured + "4.wav"};
    for (const char* index : {"", "0", "4", "1", "3", "9"}) {
        AppSettings.soundIndex = index;
        Arrives(1);
    }
    const std::vector<std::string> expected = {
        "file:" + work + "1.wav",   "file:" + work + "1.wav",       "file:" + work + "5.wav",
        "file:" + beside + "2.wav", "file:" + configured + "4.wav", "theme:message-new-instant"};
    EXPECT_EQ(fake.sound.played, expected);

    fake.sound.played.clear();
    AppSettings.alertSound = false;
    Arrives(2);
    EXPECT_TRUE(fake.sound.played.empty());
    EXPECT_TRUE(Toast(0)->visible || Toast(1)->visible) << "the toast shows without sound";
}

TEST(AlertSoundFile, IndexIsReadAsADecimalNumber) {
    EXPECT_EQ(AlertSoundFile(""), "sound/sound1.wav");
    EXPECT_EQ(AlertSoundFile("0"), "sound/sound1.wav");
    EXPECT_EQ(AlertSoundFile("4"), "sound/sound5.wav");
    EXPECT_EQ(AlertSoundFile("2.7"), "sound/sound3.wav");
    EXPECT_EQ(AlertSoundFile("x"), "sound/sound1.wav");
    EXPECT_EQ(AlertSoundFile("1e400"), "sound/sound1.wav");
}

TEST_F(IncomingMessageTest, SessionIdFollowsTheLastReadableMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"sender":"a","msg":"b","msgtype":0,"sessionid":"conv-7"})", "conv-7"},
        {"", "conv-7"},       // not JSON
        {"[1,2]", "conv-7"},  // not an object
        {R"({"sessionid":5})", "conv-7"},
        {R"({"sessionid":{"id":"x"}})", "conv-7"},
        {R"({"sessionid":"conv-8","sender":7})", "conv-8"},
        {R"({"sender":"a","msg":"b","msgtype":0})", ""},  // absent reads as empty
    };
    for (const auto& [data, expected] : cases) {
        SCOPED_TRACE(data);
        dlg.ShowNotification(data, 2);
        EXPECT_EQ(dlg.Toasts().LastSessionId(), expected);
    }
}

TEST_F(IncomingMessageTest, UnshowableMessagesPlayTheSoundButShowNoToast) {
    fake.sound.existing = {fake.module.workingDirectory + "sound/sound1.wav"};
    for (const char* data : {"", "{}", R"({"sender":"a","msg":"image","msgtype":1})"}) {
        SCOPED_TRACE(data);
        fake.sound.played.clear();
        dlg.ShowNotification(data, 2);
        EXPECT_EQ(fake.sound.played.size(), 1u);
        EXPECT_EQ(Stack(), "- - - - -");
    }
    // A mode other than 1 or 2 leaves the toast unfilled.
    dlg.ShowNotification(Message(1), 3);
    EXPECT_EQ(Stack(), "- - - - -");
    dlg.ShowNotification(Message(1), 1);
    EXPECT_TRUE(Toast(0)->visible);
}

TEST_F(IncomingMessageTest, ClickOnAToastOpensTheLatestConversation) {
    SignInAs("tok");
    Host()->Hide();
    dlg.WebClientWindow().SetActiveForTest(false);
    Arrives(1);
    Arrives(2);
    EXPECT_EQ(dlg.Tray().IconData().iconId, 265);
    Toast(0)->Element("sender", ElementEvent::MouseDown);
    fake.loop.Pump();
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"307", "s2"}));
    EXPECT_TRUE(Host()->visible);
    EXPECT_EQ(dlg.Tray().IconData().iconId, 128) << "the signed-in image is back";
}

TEST_F(IncomingMessageTest, NothingHappensWhileTheWebClientIsActive) {
    dlg.WebClientWindow().SetActiveForTest(true);
    fake.sound.existing = {fake.module.workingDirectory + "sound/sound1.wav"};
    Arrives(1);
    EXPECT_EQ(Stack(), "- - - - -");
    EXPECT_TRUE(fake.sound.played.empty());
}

TEST(InstalledDataDirectories, TheTreeBesideTheExecutableComesBeforeTheConfiguredOne) {
    FakeModulePath module;
    module.executable = "/usr/bin/murmel-alarm";
    const std::string configured = InstalledDataDirectories(module).back();
    // An executable in the configured prefix's bin finds one directory.
    const std::string prefix = configured.substr(0, configured.rfind("/share/murmel-alarm"));
    ASSERT_NE(prefix.size(), configured.size()) << configured;

    const struct {
        std::string executable;
        std::vector<std::string> dirs;
    } cases[] = {
        {"/tmp/root/usr/bin/murmel-alarm", {"/tmp/root/usr/share/murmel-alarm", configured}},
        {"/opt/Murmel Alarm/bin/murmel-alarm",
         {"/opt/Murmel Alarm/share/murmel-alarm", configured}},
        {"/murmel-alarm", {"/share/murmel-alarm", configured}},
        {prefix + "/bin/murmel-alarm", {configured}},
        // The kernel gave no path, or not an absolute one.
        {"", {configured}},
        {"murmel-alarm", {configured}},
    };
    for (const auto& c : cases) {
        module.executable = c.executable;
        EXPECT_EQ(InstalledDataDirectories(module), c.dirs) << c.executable;
    }
}

TEST_F(IncomingMessageTest, QuietDesktopHoldsBackToastAndSoundButNotTheTrayImage) {
    struct Case {
        const char* name;
        bool doNotDisturb, fullscreen, toastAndSound;
    } cases[] = {
        {"neither", false, false, true},
        {"do not disturb", true, false, false},
        {"fullscreen window", false, true, false},
        {"both", true, true, false},
    };
    fake.sound.existing = {fake.module.workingDirectory + "sound/sound1.wav"};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int k = 0; k < ToastStack::kCount; ++k) Toast(k)->visible = false;
        fake.sound.played.clear();
        fake.notificationPolicy.asked.clear();
        fake.notificationPolicy.doNotDisturb = c.doNotDisturb;
        fake.notificationPolicy.fullscreen = c.fullscreen;
        dlg.Tray().ChangeIcon(128);
        Arrives(++n);
        EXPECT_EQ(dlg.Tray().IconData().iconId, 265);
        EXPECT_EQ(Toast(0)->visible, c.toastAndSound);
        EXPECT_EQ(fake.sound.played.size(), c.toastAndSound ? 1u : 0u);
        EXPECT_EQ(dlg.Toasts().LastSessionId(), "s" + std::to_string(n))
            << "a click still finds it";
        if (!c.doNotDisturb) {
            EXPECT_EQ(fake.notificationPolicy.asked, std::vector<Rect>{fake.desktop.WorkArea()})
                << "the stack's own monitor is the one asked about";
        }
    }
}
