#include "unit/ControllerFixture.h"

TEST_F(ControllerTest, ServiceLogoutWithTheWebClientOpenKeepsItBehindTheNotice) {
    Start();
    SignInAs("tok");
    Host()->External("ScriptToApp", {"302", ""});
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"103", "tok"}));
    EXPECT_TRUE(Notice()->visible);
    EXPECT_TRUE(Host()->visible);
    EXPECT_FALSE(Host()->enabled);
    EXPECT_FALSE(Login()->visible);
    EXPECT_EQ(fake.browser.sessionsEnded, 1);

    // A tray click brings the notice forward, not the login window.
    dlg.OnTrayClick(TrayClick::LeftUp, {});
    EXPECT_FALSE(Login()->visible);
    EXPECT_GT(Notice()->foregroundCount, 1);

    // OK: ready for a new sign-in.
    Notice()->events->OnButton(DialogButton::Ok);
    fake.loop.Pump();
    EXPECT_FALSE(Notice()->visible);
    EXPECT_FALSE(Host()->visible);
    EXPECT_TRUE(Host()->enabled);
    EXPECT_TRUE(Login()->visible);
}

TEST_F(ControllerTest, ASignInAfterTheNoticeWasClosedWithoutOkShowsAWebClientTakingInput) {
    Start();
    SignInAs("tok");
    Host()->External("ScriptToApp", {"302", ""});
    Host()->CompleteDocument(AppSettings.webClientBaseUrl + "/client/index.html");
    // Escape, or the window manager closing it: the web client goes back,
    // enabled, to the sign-in page; the login window stays hidden.
    Notice()->events->OnDismiss();
    fake.loop.Pump();
    EXPECT_FALSE(Notice()->visible);
    EXPECT_FALSE(Host()->visible);
    EXPECT_TRUE(Host()->enabled);
    EXPECT_EQ(Host()->navigations.back().url, AppSettings.webClientBaseUrl + kSignInPath);
    EXPECT_FALSE(Login()->visible);
    Host()->enabled = false;   // however it came to be disabled still
    dlg.OnMenuCommand(32780);  // Sign In
    EXPECT_TRUE(Login()->visible);
    SignInAs("tok2");
    EXPECT_EQ(dlg.Session().State(), SignedIn);
    EXPECT_TRUE(Host()->visible);
    EXPECT_TRUE(Host()->enabled);
}

TEST_F(ControllerTest, ServiceLogoutWithTheWebClientHiddenSendsItBackToTheSignInPage) {
    Start();
    SignInAs("tok");
    Host()->CompleteDocument(AppSettings.webClientBaseUrl + "/client/index.html");
    Host()->Hide();
    const size_t navigations = Host()->navigations.size();
    Host()->External("ScriptToApp", {"302", "bye"});
    EXPECT_FALSE(Host()->visible);
    ASSERT_EQ(Host()->navigations.size(), navigations + 1);
    EXPECT_EQ(Host()->navigations.back().url, AppSettings.webClientBaseUrl + kSignInPath);
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{});

    // Escape hides the notice without asking for the login window.
    Notice()->events->OnDismiss();
    fake.loop.Pump();
    EXPECT_FALSE(Notice()->visible);
    EXPECT_FALSE(Login()->visible);
}

TEST_F(ControllerTest, PageErrorWarnsThenReloads) {
    Start();
    Host()->External("ScriptToApp", {"401", ""});
    ASSERT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(fake.messageBox.shown[0].text, "Error occurred. Try again.");
    EXPECT_EQ(fake.messageBox.shown[0].title, "Murmel Alarm");
    EXPECT_EQ(Host()->reloads, 1);
}

TEST_F(ControllerTest, FailedServiceSignInSignsOutAndWarns) {
    Start();
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();
    Host()->External("ScriptToApp", {"300", ""});
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_WATCHDOG));
    EXPECT_EQ(fake.messageBox.shown.back().text, "Login error. Please try again later.");
    EXPECT_TRUE(Login()->visible);
}

TEST_F(ControllerTest, UnknownCodesAndMalformedCallsDoNothing) {
    Start();
    SignInAs("tok");
    const auto before = Host()->calls.size();
    for (const char* code : {"303", "999", "-1", "70000", "abc", ""})
        Host()->External("ScriptToApp", {code, "x"});
    Host()->External("ScriptToApp", {});
    Host()->External("Signin");  // not offered by the web-client window
    EXPECT_EQ(dlg.Session().State(), SignedIn);
    EXPECT_EQ(Host()->calls.size(), before);
    EXPECT_TRUE(fake.messageBox.shown.empty());
}

TEST_F(ControllerTest, AppToScriptNeedsADocument) {
    ASSERT_TRUE(dlg.Create());
    dlg.CallAppToScript(308, "");
    EXPECT_TRUE(Host()->calls.empty());
    Host()->CompleteDocument("https://web.example/client");
    Host()->events->OnCloseRequest();
    fake.loop.Pump();
    EXPECT_FALSE(Host()->visible);
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"308", ""}));
}

TEST_F(ControllerTest, AccountPagesEndTheSignInAndAskForTheAction) {
    Start();
    struct Case {
        const char* path;
        const char* text;
        const char* ok;
    };
    const Case cases[] = {
        {"/account/activation/accountActivationRequestView.do?x=1",
         "You need to get an e-mail verification.", "UPDATE"},
        {"/account/termsAcceptance.do", "You need to agree to the terms again.", "OK"},
        {"/account/userVerifySSN.do", "You need to confirm your identity.", "OK"},
        {"/account/profile/accountProfileEdit.do", "You need to confirm your member information.",
         "OK"},
    };
    for (const Case& c : cases) {
        SignInAs("tok");
        const size_t runs = fake.dialogs.ranModal.size();
        Host()->CompleteDocument("https://web.example" + std::string(c.path), false);
        ASSERT_EQ(fake.dialogs.ranModal.size(), runs + 1) << c.path;
        const NativeDialogDescription& shown = fake.dialogs.ranModal.back();
        EXPECT_EQ(shown.text, c.text);
        EXPECT_EQ(shown.okLabel, c.ok);
        EXPECT_EQ(shown.cancelLabel, "Cancel");
        EXPECT_EQ(shown.title, "Murmel Alarm");
        EXPECT_EQ(dlg.Session().State(), SignedOut);
    }
}

TEST_F(ControllerTest, SignInErrorPageWinsOverAnAccountPath) {
    Start();
    Host()->CompleteDocument(
        "https://web.example/account/signIn.do?next=/account/termsAcceptance.do");
    EXPECT_TRUE(fake.dialogs.ranModal.empty());
    EXPECT_EQ(fake.messageBox.shown.back().text, "Login error. Please try again later.");
}

TEST_F(ControllerTest, AccountDialogOkOpensTheCheckPageAndCancelEndsTheProgram) {
    Start();
    setenv("MURMEL_ACCOUNT_URL", "https://account.test", 1);
    fake.dialogs.whileModal = [](FakeNativeDialog& d) { d.events->OnButton(DialogButton::Ok); };
    Host()->CompleteDocument("https://web.example/account/termsAcceptance.do");
    ASSERT_EQ(fake.shell.opened.size(), 1u);
    const std::string v = "https%3A%2F%2Fweb.murmel.example%2Findex.html";
    EXPECT_EQ(fake.shell.opened[0], "https://account.test/account/check.do?registURL=" + v +
                                        "&returnURL=" + v + "&goBackURL=" + v +
                                        "&actionID=StartAP&serviceID=k4r9t2m7vq");
    fake.loop.Run();
    EXPECT_FALSE(fake.loop.QuitRequested());

    // The close box acts as Cancel: the program ends.
    fake.dialogs.whileModal = [](FakeNativeDialog& d) { d.events->OnDismiss(); };
    Host()->CompleteDocument("https://web.example/account/userVerifySSN.do");
    fake.loop.Run();
    EXPECT_TRUE(fake.loop.QuitRequested());
    EXPECT_EQ(fake.shell.opened.size(), 1u);
    unsetenv("MURMEL_ACCOUNT_URL");
}
