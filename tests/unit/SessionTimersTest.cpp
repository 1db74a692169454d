#include "unit/ControllerFixture.h"

TEST_F(ControllerTest, KeepAliveFailureWhileSignedInWarnsThenSignsOut) {
    Start();
    SignInAs("tok");
    pingError = "Could not connect to server";
    bool signedInWhileBoxOpen = false;
    fake.messageBox.whileOpen = [&] { signedInWhileBoxOpen = dlg.Session().State() == SignedIn; };
    fake.loop.Advance(10000);
    ASSERT_EQ(pinged.size(), 1u);
    EXPECT_EQ(pinged[0], AppSettings.webClientBaseUrl + "/ping");
    ASSERT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(fake.messageBox.shown[0].text, "Could not connect to server");
    EXPECT_TRUE(signedInWhileBoxOpen);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"103", "tok"}));
    EXPECT_TRUE(Login()->visible);

    // Still down, now signed out: the requests go on, with nothing shown.
    fake.messageBox.whileOpen = nullptr;
    const size_t calls = Host()->calls.size();
    fake.loop.Advance(30000);
    EXPECT_EQ(pinged.size(), 4u);
    EXPECT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(Host()->calls.size(), calls);
}

TEST_F(ControllerTest, KeepAliveAnswerOfAnyKindKeepsTheSession) {
    Start();
    SignInAs("tok");
    fake.loop.Advance(30000);
    EXPECT_EQ(pinged.size(), 3u);
    EXPECT_TRUE(fake.messageBox.shown.empty());
    EXPECT_EQ(dlg.Session().State(), SignedIn);
}

TEST_F(ControllerTest, KeepAliveIsNotRunningWhileItsBoxIsOpen) {
    Start();
    SignInAs("tok");
    pingError = "down";
    bool timerRunning = true;
    fake.messageBox.whileOpen = [&] {
        timerRunning = fake.loop.HasTimer(dlg.Handle(), TIMER_PING);
    };
    fake.loop.Advance(10000);
    EXPECT_FALSE(timerRunning);
    EXPECT_TRUE(fake.loop.HasTimer(dlg.Handle(), TIMER_PING));
}
