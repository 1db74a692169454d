#include "unit/ControllerFixture.h"

namespace {
StringList Texts(const std::vector<TrayMenuItem>& items) {
    StringList out;
    for (const TrayMenuItem& item : items) out.push_back(item.commandId ? item.text : "-");
    return out;
}
}  // namespace

TEST_F(ControllerTest, MenuFollowsTheStateNotTheSignInUnderWay) {
    Start();
    EXPECT_EQ(Texts(fake.tray.RequestMenu()), (StringList{"Sign In", "Settings", "-", "Quit"}));
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();
    ASSERT_EQ(dlg.Session().State(), SigningIn);
    fake.tray.Click(TrayClick::RightUp);
    const FakeTray::Call* popup = fake.tray.Last(FakeTray::Op::Popup);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(Texts(popup->items), (StringList{"Sign In", "Settings", "-", "Quit"}));
    // "Sign In" while signing in asks whether to sign out.
    fake.messageBox.answers = {MessageBoxAnswer::No};
    fake.tray.ChooseCommand(ID_SIGNIN);
    ASSERT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(fake.messageBox.shown[0].text, "로그아웃 하시겠습니까?");
    EXPECT_EQ(fake.messageBox.shown[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(dlg.Session().State(), SigningIn);
}

TEST_F(ControllerTest, SignedInMenuShowsTheAddressEvenWhenEmpty) {
    Start();
    SignInAs("tok");
    EXPECT_EQ(Texts(fake.tray.RequestMenu()),
              (StringList{"kim@example.org", "-", "Open", "Sign Out", "Settings", "-", "Quit"}));
    dlg.Login().ForgetEmailForTest();
    const auto items = fake.tray.RequestMenu();
    EXPECT_EQ(items[0].commandId, 32785u);
    EXPECT_EQ(items[0].text, "");
    fake.tray.ChooseCommand(ID_EMAIL);  // does nothing
    EXPECT_EQ(dlg.Session().State(), SignedIn);
    EXPECT_TRUE(fake.messageBox.shown.empty());
}

TEST_F(ControllerTest, MenuAHostHoldsFollowsEachStateChangeWithoutAClick) {
    // A panel that draws the menu shows what it holds before it asks again.
    const StringList signedOut{"Sign In", "Settings", "-", "Quit"};
    Start();
    EXPECT_EQ(Texts(fake.tray.menu), signedOut);
    SignInAs("tok");
    EXPECT_EQ(Texts(fake.tray.menu),
              (StringList{"kim@example.org", "-", "Open", "Sign Out", "Settings", "-", "Quit"}));
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    fake.tray.ChooseCommand(32786);
    EXPECT_EQ(Texts(fake.tray.menu), signedOut);
    EXPECT_EQ(fake.tray.Count(FakeTray::Op::Popup), 0);
}

TEST_F(ControllerTest, NewMessageImageStaysUntilATrayClick) {
    Start();
    SignInAs("tok");
    Host()->events->OnActivate(false);
    Host()->External("ScriptToApp", {"304", R"({"sender":"Ada","msg":"hi","msgtype":0})"});
    EXPECT_EQ(fake.tray.current.iconId, 265);
    fake.tray.Click(TrayClick::LeftUp);
    EXPECT_EQ(fake.tray.current.iconId, 128);
    EXPECT_TRUE(Host()->visible);

    // While the web-client window is the active one, a message changes nothing.
    Host()->events->OnActivate(true);
    Host()->External("ScriptToApp", {"304", R"({"sender":"Ada","msg":"hi","msgtype":0})"});
    EXPECT_EQ(fake.tray.current.iconId, 128);
}

TEST_F(ControllerTest, QuitTellsTheWebClientOnlyWithAToken) {
    Start();
    fake.tray.ChooseCommand(ID_QUIT_SIGNED_OUT);
    EXPECT_TRUE(fake.loop.QuitRequested());
    EXPECT_TRUE(CallsOf(Host(), "AppToScript").empty());
}

TEST_F(ControllerTest, QuitWhileSignedInSends103First) {
    Start();
    SignInAs("tok");
    fake.tray.ChooseCommand(ID_QUIT);
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"103", "tok"}));
    EXPECT_TRUE(fake.loop.QuitRequested());
}

TEST_F(ControllerTest, TwoQuickSignOutsAskOnce) {
    Start();
    SignInAs("tok");
    fake.messageBox.whileOpen = [&] { fake.tray.ChooseCommand(ID_SIGNOUT); };
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    fake.tray.ChooseCommand(ID_SIGNOUT);
    EXPECT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
}

TEST_F(ControllerTest, OpenAndTheOddMessagesFollowTheState) {
    Start();
    Login()->Hide();
    fake.tray.ChooseCommand(ID_OPEN);
    EXPECT_TRUE(Login()->visible);
    fake.loop.Send(dlg.Handle(), UWM_SIGNIN_RESULT, 3, 0);
    fake.loop.Send(dlg.Handle(), UWM_SIGNIN_RESULT, 99, 0);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_TRUE(fake.messageBox.shown.empty());
    fake.loop.Send(dlg.Handle(), UWM_SHOW_HOST, 1, 0);
    EXPECT_TRUE(Host()->visible);
    fake.loop.Send(dlg.Handle(), UWM_SHOW_HOST, 0, 0);
    EXPECT_FALSE(Host()->visible);
}

TEST_F(ControllerTest, ToastClickOpensTheConversationThenRestoresTheIcon) {
    Start();
    SignInAs("tok");
    Host()->Hide();
    dlg.Toasts().SetLastSessionId("conv-7");
    fake.tray.current.iconId = 265;
    fake.loop.Post(dlg.Handle(), UWM_TOAST_OPEN);
    fake.loop.Post(dlg.Handle(), UWM_TOAST_CLOSED);
    fake.loop.Pump();
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"307", "conv-7"}));
    EXPECT_TRUE(Host()->visible);
    EXPECT_EQ(fake.tray.current.iconId, 128);
}

TEST_F(ControllerTest, TrayHostRestartBringsTheIconBack) {
    Start();
    fake.tray.Stop();
    EXPECT_FALSE(fake.tray.shown);
    fake.tray.Restart();
    EXPECT_TRUE(fake.tray.shown);
    EXPECT_EQ(fake.tray.current.iconId, 266);
}
