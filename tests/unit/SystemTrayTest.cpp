#include <gtest/gtest.h>

#include <memory>

#include "fakes/FakeTray.h"
#include "notify/CSystemTray.h"

namespace {

using Op = FakeTray::Op;

struct RecordingParent : ITrayEvents {
    std::vector<TrayClick> clicks;
    std::vector<unsigned> commands;
    int restarts = 0;
    void OnTrayClick(TrayClick click, Point) override { clicks.push_back(click); }
    std::vector<TrayMenuItem> OnMenuRequest() override { return {{32780, "Sign In"}, {0, ""}}; }
    void OnMenuCommand(unsigned id) override { commands.push_back(id); }
    void OnHostRestarted() override { ++restarts; }
};

class SystemTrayTest : public ::testing::Test {
protected:
    // What the controller does on start-up, on a tray click and on a change
    // of the session state.
    bool Refresh(int iconId) {
        tray.RemoveFromTray();
        tray.Install(&parent, "Murmel Alarm", iconId);
        return tray.RevealIcon();
    }

    FakeTray host;
    RecordingParent parent;
    CSystemTray tray{host};
};

TEST(TruncateUtf8, CutsAtCharactersNotBytes) {
    EXPECT_EQ(TruncateUtf8("abc", 5), "abc");
    EXPECT_EQ(TruncateUtf8("abcdef", 3), "abc");
    // Two-, three- and four-byte characters are kept whole or dropped whole.
    EXPECT_EQ(TruncateUtf8("\xC3\xA4\xC3\xB6\xC3\xBC", 2), "\xC3\xA4\xC3\xB6");
    EXPECT_EQ(TruncateUtf8("a\xE9\x9F\xB3\xF0\x9F\x94\x94z", 3), "a\xE9\x9F\xB3\xF0\x9F\x94\x94");
    EXPECT_EQ(TruncateUtf8("\xF0\x9F\x94\x94", 0), "");
}

TEST_F(SystemTrayTest, InstallShowsTheIconWithItsTooltip) {
    EXPECT_TRUE(tray.Install(&parent, "Murmel Alarm", CSystemTray::kIconSignedOut));
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconSignedOut);
    EXPECT_EQ(host.current.tooltip, "Murmel Alarm");
    EXPECT_FALSE(host.current.hidden);
    EXPECT_FALSE(tray.IsHidden());
    EXPECT_FALSE(tray.IsRemoved());
    EXPECT_FALSE(tray.IsAddPending());
}

TEST_F(SystemTrayTest, LongTooltipIsCutTo127Characters) {
    std::string tip = "Murmel ";
    for (int i = 0; i < 150; ++i) tip += "\xC3\xBC";  // two bytes each
    ASSERT_TRUE(tray.Install(&parent, tip, CSystemTray::kIconSignedIn));
    EXPECT_EQ(host.current.tooltip, tip.substr(0, 7 + 120 * 2));
}

TEST_F(SystemTrayTest, EverythingWaitsForTheFirstInstall) {
    EXPECT_FALSE(tray.ChangeIcon(CSystemTray::kIconNewMessage));
    EXPECT_TRUE(tray.RemoveFromTray());
    EXPECT_FALSE(tray.AddToTray());
    EXPECT_EQ(tray.OnTaskbarCreated(), 0);
    tray.OnSettingChange(CSystemTray::kSettingWorkArea);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(host.events(), nullptr);
}

TEST_F(SystemTrayTest, NewMessageImageLastsUntilTheNextRefresh) {
    ASSERT_TRUE(Refresh(CSystemTray::kIconSignedIn));
    EXPECT_TRUE(tray.ChangeIcon(CSystemTray::kIconNewMessage));
    EXPECT_TRUE(tray.RevealIcon());
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconNewMessage);
    EXPECT_EQ(host.Count(Op::Modify), 1);

    ASSERT_TRUE(Refresh(CSystemTray::kIconSignedIn));
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconSignedIn);
    EXPECT_EQ(host.Count(Op::Delete), 1);
}

TEST_F(SystemTrayTest, ImageChangedWhileUnregisteredIsUsedByTheNextAdd) {
    ASSERT_TRUE(tray.Install(&parent, "Murmel Alarm", CSystemTray::kIconSignedIn));
    ASSERT_TRUE(tray.RemoveFromTray());
    EXPECT_TRUE(tray.IsHidden());
    const std::size_t before = host.calls.size();
    EXPECT_TRUE(tray.ChangeIcon(CSystemTray::kIconNewMessage));
    EXPECT_EQ(host.calls.size(), before);  // the host is not told

    EXPECT_TRUE(tray.RevealIcon());
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconNewMessage);
}

TEST_F(SystemTrayTest, FailedAddIsPendingAndTheNextRefreshRetries) {
    host.FailAdds();
    EXPECT_FALSE(tray.Install(&parent, "Murmel Alarm", CSystemTray::kIconSignedOut));
    EXPECT_TRUE(tray.IsHidden());
    EXPECT_TRUE(tray.IsRemoved());
    EXPECT_TRUE(tray.IsAddPending());
    EXPECT_FALSE(host.shown);

    // Removing an icon that is not there succeeds and cancels the pending add.
    EXPECT_TRUE(tray.RemoveFromTray());
    EXPECT_FALSE(tray.IsAddPending());
    EXPECT_EQ(host.Count(Op::Delete), 0);

    EXPECT_TRUE(Refresh(CSystemTray::kIconSignedOut));
    EXPECT_TRUE(host.shown);
}

TEST_F(SystemTrayTest, RevealRetriesAFailedAdd) {
    host.FailAdds(2);
    EXPECT_FALSE(tray.Install(&parent, "Murmel Alarm", CSystemTray::kIconSignedIn));
    EXPECT_FALSE(tray.RevealIcon());
    EXPECT_TRUE(tray.IsAddPending());
    EXPECT_TRUE(tray.RevealIcon());
    EXPECT_TRUE(host.shown);
    EXPECT_FALSE(tray.IsHidden());
}

TEST_F(SystemTrayTest, HostRestartGetsTheIconBackWithTheImageItHad) {
    ASSERT_TRUE(Refresh(CSystemTray::kIconSignedIn));
    ASSERT_TRUE(tray.ChangeIcon(CSystemTray::kIconNewMessage));
    host.Stop();
    host.Restart();
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconNewMessage);
    EXPECT_EQ(host.current.tooltip, "Murmel Alarm");
    EXPECT_FALSE(tray.IsAddPending());
    EXPECT_EQ(parent.restarts, 1);  // the controller hears of it too
}

TEST_F(SystemTrayTest, IconInstalledBeforeAnyHostAppearsWithTheHost) {
    host.Stop();
    EXPECT_FALSE(Refresh(CSystemTray::kIconSignedOut));
    EXPECT_TRUE(tray.IsAddPending());
    host.Restart();
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconSignedOut);
    EXPECT_FALSE(tray.IsHidden());
    EXPECT_FALSE(tray.IsAddPending());
}

TEST_F(SystemTrayTest, RemovedIconStaysRemovedWhenTheHostRestarts) {
    ASSERT_TRUE(Refresh(CSystemTray::kIconSignedIn));
    ASSERT_TRUE(tray.RemoveFromTray());
    host.Restart();
    EXPECT_FALSE(host.shown);
    EXPECT_EQ(host.Count(Op::Add), 1);
}

TEST_F(SystemTrayTest, FailedReAddAfterRestartIsNotReportedAsShown) {
    ASSERT_TRUE(Refresh(CSystemTray::kIconSignedIn));
    host.FailAdds();
    host.Restart();
    EXPECT_FALSE(host.shown);
    EXPECT_TRUE(tray.IsAddPending());
    EXPECT_TRUE(tray.IsRemoved());

    // The new-message path reveals the icon: it must really add it again.
    EXPECT_TRUE(tray.ChangeIcon(CSystemTray::kIconNewMessage));
    EXPECT_TRUE(tray.RevealIcon());
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconNewMessage);
}

TEST_F(SystemTrayTest, WorkAreaChangeKeepsAShownIconUsable) {
    ASSERT_TRUE(Refresh(CSystemTray::kIconSignedIn));
    tray.OnSettingChange(CSystemTray::kSettingWorkArea);
    EXPECT_TRUE(host.shown);
    EXPECT_FALSE(tray.IsHidden());
    EXPECT_FALSE(tray.IsAddPending());
    EXPECT_TRUE(tray.ChangeIcon(CSystemTray::kIconNewMessage));
    EXPECT_EQ(host.current.iconId, CSystemTray::kIconNewMessage);

    // Other settings do not touch the icon.
    const std::size_t before = host.calls.size();
    tray.OnSettingChange(CSystemTray::kSettingWorkArea + 1);
    EXPECT_EQ(host.calls.size(), before);
}

TEST_F(SystemTrayTest, WithoutHiddenStateRevealAddsAgain) {
    FakeTray plainHost;
    CSystemTray plain(plainHost, false);
    plainHost.FailAdds();
    EXPECT_FALSE(plain.Install(nullptr, "Murmel Alarm", CSystemTray::kIconSignedOut));
    EXPECT_TRUE(plain.RevealIcon());
    EXPECT_TRUE(plainHost.shown);
    EXPECT_EQ(plainHost.Count(Op::Modify), 0);
}

TEST_F(SystemTrayTest, ClicksAndMenuGoToTheInstaller) {
    ASSERT_TRUE(tray.Install(&parent, "Murmel Alarm", CSystemTray::kIconSignedOut));
    host.Click(TrayClick::LeftUp);
    host.Click(TrayClick::RightUp);
    host.ChooseCommand(ID_QUIT_SIGNED_OUT);
    EXPECT_EQ(parent.clicks, (std::vector<TrayClick>{TrayClick::LeftUp, TrayClick::RightUp}));
    EXPECT_EQ(parent.commands, std::vector<unsigned>{32783});
    const auto menu = host.RequestMenu();
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].text, "Sign In");
}

TEST(SystemTrayLifetime, DestructionRemovesARegisteredIconOnly) {
    FakeTray host;
    {
        CSystemTray tray(host);
        ASSERT_TRUE(tray.Install(nullptr, "Murmel Alarm", CSystemTray::kIconSignedOut));
    }
    EXPECT_FALSE(host.shown);
    EXPECT_EQ(host.events(), nullptr);
    EXPECT_EQ(host.Count(Op::Delete), 1);

    FakeTray other;
    {
        CSystemTray tray(other);
        other.FailAdds();
        tray.Install(nullptr, "Murmel Alarm", CSystemTray::kIconSignedOut);
    }
    EXPECT_EQ(other.Count(Op::Delete), 0);
}

}  // namespace
