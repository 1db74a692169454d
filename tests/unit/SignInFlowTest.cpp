#include <chrono>
#include <thread>

#include "unit/ControllerFixture.h"

TEST_F(ControllerTest, TrimmedCredentialsAreCheckedAndFilledIntoTheServiceForm) {
    Start();
    TypeAndSignIn("  kim@example.org\t", " secret ");
    EXPECT_EQ(dlg.Session().State(), SigningIn);
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"1"});
    FinishCheck();
    EXPECT_EQ(checkedEmail, "kim@example.org");
    EXPECT_EQ(checkedPassword, "secret");
    EXPECT_EQ(Host()->formValues["svcIptLgnID"], "kim@example.org");
    EXPECT_EQ(Host()->formValues["svcIptLgnPD"], "secret");
    EXPECT_EQ(Host()->formSubmits, 1);
    EXPECT_EQ(fake.loop.TimerPeriod(dlg.Handle(), TIMER_SIGNIN_WATCHDOG), 15000u);
    EXPECT_EQ(dlg.Session().State(), SigningIn);
}

TEST_F(ControllerTest, UnicodeSpacesAroundTheAddressAreNeitherSubmittedNorRemembered) {
    AppSettings.rememberEmail = true;
    UseSettingsStore(&fake.store, &fake.profile);
    Start();
    // A no-break space before, an ideographic one after, as pasted text has.
    TypeAndSignIn("\xC2\xA0kim@example.org\xE3\x80\x80", "secret\xE2\x80\xAF");
    FinishCheck();
    EXPECT_EQ(checkedEmail, "kim@example.org");
    EXPECT_EQ(Host()->formValues["svcIptLgnID"], "kim@example.org");
    EXPECT_EQ(Host()->formValues["svcIptLgnPD"], "secret");
    Host()->External("SigninOk", {"SUCCESS,token,x"});
    EXPECT_EQ(fake.store.values["email"], "kim@example.org");
    UseSettingsStore(nullptr, nullptr);
}

TEST_F(ControllerTest, RejectedCredentialsShowTheirMessageAndTheTrimmedFields) {
    const std::pair<int, const char*> cases[] = {{400, "2"}, {430, "4"}, {460, "5"}};
    Start();
    for (auto [result, status] : cases) {
        credentialResult = result;
        TypeAndSignIn(" kim@example.org ", "wrong");
        FinishCheck();
        EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{status}) << result;
        EXPECT_EQ(dlg.Session().State(), SignedOut);
        EXPECT_EQ(Login()->GetData("input_email"), "kim@example.org");
        EXPECT_EQ(Login()->GetData("input_password"), "wrong");
        EXPECT_EQ(Host()->formSubmits, 0);
        EXPECT_EQ(Host()->navigations.back().header, "whoami:murmel_notifier");
    }
}

TEST_F(ControllerTest, AFailedCheckGivesTheFormBackWithAMessage) {
    Start();
    credentialResult = 500;
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"0"});
    ASSERT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(fake.messageBox.shown[0].text, "Network error");
}

TEST_F(ControllerTest, SigninIsRefusedWithHintsEmptyFieldsOrOneUnderWay) {
    Start();
    bool checked = false;
    dlg.Session().m_credentialCheck = [&](auto&&...) {
        checked = true;
        return 1000;
    };
    TypeAndSignIn("Email", "secret");
    TypeAndSignIn("kim@example.org", "Password");
    TypeAndSignIn("   ", "secret");
    TypeAndSignIn("kim@example.org", "\t");
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    dlg.Session().SetStateForTest(SigningIn);
    TypeAndSignIn("kim@example.org", "secret");
    EXPECT_FALSE(fake.loop.WaitForSend(100));
    EXPECT_FALSE(checked);
}

TEST_F(ControllerTest, AServiceFormWithoutSubmitResetsTheSignIn) {
    Start();
    Host()->formInputs = {"svcIptLgnID", "svcIptLgnPD"};
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"0"});
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_WATCHDOG));
}

TEST_F(ControllerTest, SuccessSignsInHidesTheLoginAndTellsTheWebClient) {
    Start();
    SignInAs("abc");
    EXPECT_EQ(dlg.Session().State(), SignedIn);
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_WATCHDOG));
    ASSERT_TRUE(dlg.Session().Info());
    EXPECT_EQ(dlg.Session().Info()->token, "abc");
    EXPECT_FALSE(Login()->visible);
    EXPECT_TRUE(Host()->visible);
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"102", "abc"}));
    EXPECT_EQ(fake.browser.askedFor.back(), Host()->CurrentUrl());
}

TEST_F(ControllerTest, OnlyAThreePartSuccessTextSignsIn) {
    Start();
    for (const char* text : {"SUCCESS,abc", "SUCCESS,abc,x,y", "success,abc,x", ""}) {
        Host()->External("SigninOk", {text});
        EXPECT_EQ(dlg.Session().State(), SignedOut) << text;
        EXPECT_EQ(fake.messageBox.shown.back().text, "Sever error.\nPlease try again later.");
        EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"0"});
    }
    // Accepted while nothing was under way, with an empty token.
    Host()->External("ScriptToApp", {"301", "SUCCESS,,x"});
    EXPECT_EQ(dlg.Session().State(), SignedIn);
    const size_t before = CallsOf(Host(), "AppToScript").size();
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    dlg.OnMenuCommand(ID_SIGNOUT);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_EQ(CallsOf(Host(), "AppToScript").size(), before);  // no 103 without a token
}

TEST_F(ControllerTest, WatchdogAbandonsAnUnconfirmedSignIn) {
    Start();
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();
    fake.loop.Advance(14999);
    EXPECT_TRUE(fake.messageBox.shown.empty());
    fake.loop.Advance(1);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    ASSERT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(fake.messageBox.shown[0].text, "Login error. Please try again later.");
    EXPECT_TRUE(Login()->visible);
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_WATCHDOG));
}

TEST_F(ControllerTest, AUserSignOutStopsTheWatchdog) {
    Start();
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    dlg.OnMenuCommand(ID_SIGNIN);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_WATCHDOG));
    fake.loop.Advance(15000);
    EXPECT_EQ(fake.messageBox.shown.size(), 1u);  // the question only
}

TEST_F(ControllerTest, WatchdogAfterConfirmationDoesNothing) {
    Start();
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();
    dlg.Session().SetStateForTest(SignedIn);  // confirmed by a path that left the timer
    fake.loop.Advance(15000);
    EXPECT_TRUE(fake.messageBox.shown.empty());
    EXPECT_EQ(dlg.Session().State(), SignedIn);
}

TEST_F(ControllerTest, SignOutKeepsTheRememberedAddressOnly) {
    AppSettings.rememberEmail = true;
    Start();
    SignInAs("tok");
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    dlg.OnMenuCommand(ID_SIGNOUT);
    EXPECT_EQ(CallsOf(Host(), "AppToScript").back(), (StringList{"103", "tok"}));
    EXPECT_EQ(Login()->GetData("input_email"), "kim@example.org");
    EXPECT_EQ(Login()->GetData("input_password"), "");
    EXPECT_TRUE(Login()->visible);
    EXPECT_FALSE(Host()->visible);
    EXPECT_EQ(fake.browser.sessionsEnded, 1);
    EXPECT_EQ(dlg.Session().Info()->token, "");

    AppSettings.rememberEmail = false;
    SignInAs("tok2");
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    dlg.OnMenuCommand(ID_SIGNOUT);
    EXPECT_EQ(Login()->GetData("input_email"), "");
}

TEST_F(ControllerTest, SigninReadyShowsTheFormWhateverTheState) {
    Start();
    dlg.Session().SetStateForTest(SigningIn);
    Host()->External("SigninReady", {"1"});
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"0"});
    const size_t calls = CallsOf(Login(), "showLoginStatus").size();
    Host()->External("ScriptToApp", {"101", ""});
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").size(), calls + 1);
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"0"});
    EXPECT_EQ(dlg.Session().State(), SigningIn);
}

TEST_F(ControllerTest, ServiceReadyBeforeTheLoginPageLoadedStillShowsTheForm) {
    ASSERT_TRUE(dlg.Create());
    Host()->CompleteDocument(AppSettings.webClientBaseUrl + kSignInPath);
    Host()->External("SigninReady", {"1"});
    EXPECT_TRUE(Login()->calls.empty());
    Login()->CompleteDocument("res:///html/login.html");
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus"), (std::vector<StringList>{{"0"}}));
    // Loaded again (its process ended), the page starts in its loading
    // state and is given the form again.
    Login()->hasDocument = false;
    Login()->CompleteDocument("res:///html/login.html");
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus"), (std::vector<StringList>{{"0"}, {"0"}}));
}

// Closing the program while a credential check is under way: the worker is
// stopped and joined before the controller and its loop go, and whatever it
// had to say is dropped.
TEST_F(ControllerTest, ClosingDuringACheckStopsAndJoinsTheWorker) {
    struct Case {
        const char* name;
        bool checkAnswers;  // false: the check runs until it is cancelled
    };
    for (const Case& c :
         {Case{"check still running", false}, Case{"result waiting to be handled", true}}) {
        FakePorts ports;
        ports.network.online = false;
        CMainDlg controller{ports.ports};
        std::atomic<bool> started = false, sawCancel = false, returned = false;
        controller.Session().m_credentialCheck = [&](const StringList&, const std::string&,
                                                     const std::string&, std::string&,
                                                     const std::atomic<bool>& cancelled) {
            started = true;
            // Bounded, so that a worker nobody cancels cannot hang the run.
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!c.checkAnswers && !cancelled && std::chrono::steady_clock::now() < end)
                std::this_thread::yield();
            sawCancel = cancelled.load();
            returned = true;
            return 1000;
        };
        ASSERT_TRUE(controller.Create());
        FakeHtmlWindow* login = ports.htmlWindows.WithPage(CMainDlg::kPageId);
        FakeHtmlWindow* host = nullptr;
        for (FakeHtmlWindow* w : ports.htmlWindows.created)
            if (w && w->spec.ownWebProcess) host = w;
        ASSERT_NE(host, nullptr);
        login->CompleteDocument("res:///html/login.html");
        host->formInputs = {"svcIptLgnID", "svcIptLgnPD", "signin_submit"};
        host->CompleteDocument(AppSettings.webClientBaseUrl + kSignInPath);
        login->UserSets("input_email", "kim@example.org");
        login->UserSets("input_password", "secret");
        login->External("Signin");
        if (c.checkAnswers) {
            ASSERT_TRUE(ports.loop.WaitForSend()) << c.name;
        }

        controller.OnDestroy();
        EXPECT_TRUE(started) << c.name;
        EXPECT_TRUE(returned) << c.name;
        EXPECT_EQ(sawCancel, !c.checkAnswers) << c.name;
        // Nothing is left for the loop to hand to the window that went.
        EXPECT_FALSE(ports.loop.WaitForSend(0)) << c.name;
    }
}

// The UI keeps running while the version service or the site is asked:
// what the user does meanwhile must not start a second sign-in, nor act
// once the program is closing.
TEST_F(ControllerTest, WhatHappensWhileARequestIsAwaitedIsHeededAfter) {
    struct Case {
        const char* name;
        bool keepAlive;  // else a sign-in's version check
        bool quit;       // else a second sign-in click
        int checks;
        std::size_t boxes;
    };
    const Case cases[] = {
        {"second sign-in during the version check", false, false, 1, 0},
        {"quit during the version check", false, true, 0, 0},
        {"quit during a failing keep-alive", true, true, 0, 0},
    };
    for (const Case& c : cases) {
        FakePorts ports;
        ports.network.online = false;
        CMainDlg controller{ports.ports};
        int checks = 0;
        controller.Session().m_credentialCheck = [&](auto&&...) {
            ++checks;
            return 400;
        };
        controller.Session().m_sitePing = [](const std::string&, std::string& error) {
            error = "unreachable";
            return false;
        };
        ASSERT_TRUE(controller.Create());
        FakeHtmlWindow* login = ports.htmlWindows.WithPage(CMainDlg::kPageId);
        login->CompleteDocument("res:///html/login.html");
        login->UserSets("input_email", "kim@example.org");
        login->UserSets("input_password", "secret");
        ports.loop.duringAwait = [&] {
            if (c.quit)
                controller.OnMenuCommand(ID_QUIT_SIGNED_OUT);
            else
                login->External("Signin");
        };
        if (c.keepAlive) {
            controller.Session().SetStateForTest(SignedIn);
            ports.loop.Advance(SignInSession::kPingPeriodMs);
            EXPECT_EQ(controller.Session().State(), SignedIn) << c.name;
        } else {
            login->External("Signin");
            if (c.checks > 0) {
                ASSERT_TRUE(ports.loop.WaitForSend()) << c.name;
                ports.loop.Pump();
            }
            EXPECT_EQ(controller.Session().State(), SignedOut) << c.name;
        }
        EXPECT_EQ(checks, c.checks) << c.name;
        EXPECT_EQ(ports.messageBox.shown.size(), c.boxes) << c.name;
        EXPECT_EQ(ports.loop.QuitRequested(), c.quit) << c.name;
        controller.OnDestroy();
    }
}

// The form is on screen while the start-up check runs: a click on Login
// then is not lost but signs in once the check is over, unless the user
// quit meanwhile.
TEST_F(ControllerTest, ASignInAskedForDuringTheStartUpCheckFollowsIt) {
    struct Case {
        const char* name;
        bool quit;
        int checks;
    };
    for (const Case& c : {Case{"click", false, 1}, Case{"click, then quit", true, 0}}) {
        FakePorts ports;
        ports.network.online = false;
        CMainDlg controller{ports.ports};
        std::atomic<int> checks = 0;
        controller.Session().m_credentialCheck = [&](auto&&...) {
            ++checks;
            return 400;
        };
        FakeHtmlWindow* login = nullptr;
        ports.loop.duringAwait = [&] {
            login = ports.htmlWindows.WithPage(CMainDlg::kPageId);
            login->CompleteDocument("res:///html/login.html");
            login->UserSets("input_email", "kim@example.org");
            login->UserSets("input_password", "secret");
            login->External("Signin");
            EXPECT_EQ(controller.Session().State(), SignedOut) << c.name;
            if (c.quit) controller.OnMenuCommand(ID_QUIT_SIGNED_OUT);
        };
        ASSERT_TRUE(controller.Create()) << c.name;
        ports.loop.Pump();  // the start-up check runs from the loop
        ASSERT_NE(login, nullptr) << c.name;
        if (c.checks > 0) {
            // The worker may have reported within the pump above already.
            EXPECT_TRUE(ports.loop.PumpUntil([&] {
                auto shown = CallsOf(login, "showLoginStatus");
                return !shown.empty() && shown.back() == StringList{"2"};
            })) << c.name;
        }
        EXPECT_EQ(checks, c.checks) << c.name;
        controller.OnDestroy();
    }
}
