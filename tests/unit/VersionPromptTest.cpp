#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeNetworkStatus.h"
#include "fakes/RecordingPorts.h"
#include "net/VersionCheck.h"
#include "platform/Messages.h"

namespace {

constexpr WindowHandle kController = 7;

class VersionPrompt : public testing::Test {
protected:
    VersionInfo Update(int critical) {
        VersionInfo info;
        info.uptodate = 0;
        info.critical = critical;
        info.downloadurl = "https://dl.example/setup";
        return info;
    }
    bool Closed() const {
        return loop.sent == std::vector<std::pair<WindowHandle, unsigned>>{{kController, WM_CLOSE}};
    }

    FakeNetworkStatus network{false};
    ScriptedMessageBox box;
    RecordingShell shell;
    RecordingLoop loop;
    int signOuts = 0;
    CVersionCheck check{{network, box, shell, loop, kController, "Murmel Alarm",
                         [](unsigned id) { return "text " + std::to_string(id); },
                         [this] { ++signOuts; }}};
};

}  // namespace

TEST_F(VersionPrompt, UpToDateAsksNothing) {
    VersionInfo info;
    info.critical = 1;
    EXPECT_EQ(check.PromptForUpdate(info), 0);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(loop.sent.empty());
}

TEST_F(VersionPrompt, OptionalUpdateOffersOkOrCancel) {
    EXPECT_EQ(check.PromptForUpdate(Update(0)), 0);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "text 200");
    EXPECT_EQ(box.shown[0].title, "Murmel Alarm");
    EXPECT_EQ(box.shown[0].buttons, MessageBoxButtons::OkCancel);
    EXPECT_EQ(box.shown[0].icon, MessageBoxIcon::Warning);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(loop.sent.empty());

    box.answer = MessageBoxAnswer::Ok;
    EXPECT_EQ(check.PromptForUpdate(Update(0)), 1);
    EXPECT_EQ(shell.opened, std::vector<std::string>{"https://dl.example/setup"});
    EXPECT_TRUE(Closed());
    EXPECT_EQ(signOuts, 0);
}

TEST_F(VersionPrompt, RequiredUpdateEitherDownloadsOrSignsOutAndCloses) {
    box.answer = MessageBoxAnswer::No;
    EXPECT_EQ(check.PromptForUpdate(Update(1)), 1);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "text 201");
    EXPECT_EQ(box.shown[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(box.shown[0].icon, MessageBoxIcon::Question);
    EXPECT_EQ(signOuts, 1);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(Closed());

    loop.sent.clear();
    box.answer = MessageBoxAnswer::Yes;
    EXPECT_EQ(check.PromptForUpdate(Update(1)), 1);
    EXPECT_EQ(shell.opened, std::vector<std::string>{"https://dl.example/setup"});
    EXPECT_EQ(signOuts, 1);
    EXPECT_TRUE(Closed());
}

TEST_F(VersionPrompt, EmptyDownloadAddressStillGoesToTheShellAndCloses) {
    box.answer = MessageBoxAnswer::Ok;
    VersionInfo info = Update(0);
    info.downloadurl.clear();
    EXPECT_EQ(check.PromptForUpdate(info), 1);
    EXPECT_EQ(shell.opened, std::vector<std::string>{""});
    EXPECT_TRUE(Closed());
}

TEST_F(VersionPrompt, FailedCheckBehavesAsUpToDate) {
    EXPECT_EQ(check.CheckVersion("http://127.0.0.1:1", "sid=1"), 0);
    EXPECT_EQ(network.asked, 1);
    EXPECT_TRUE(box.shown.empty());
}
