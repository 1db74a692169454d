// Each transition of the sign-in session, and the timers and windows it
// leaves behind.
#include <cctype>
#include <chrono>
#include <optional>
#include <thread>

#include "unit/ControllerFixture.h"

class SessionTransitionTest;

namespace {
struct Transition {
    const char* name;
    std::function<void(SessionTransitionTest&)> act;
    SessionState state;
    bool watchdog;
    bool loginVisible;
    bool hostVisible;
    std::optional<std::string> status;  // the login page's last status
    size_t boxes;
    int submits;
};

void PrintTo(const Transition& t, std::ostream* os) {
    *os << t.name;
}
}  // namespace

class SessionTransitionTest : public ControllerTest,
                              public ::testing::WithParamInterface<Transition> {
public:
    using ControllerTest::credentialResult;
    using ControllerTest::fake;
    using ControllerTest::FinishCheck;
    using ControllerTest::Host;
    using ControllerTest::pingError;
    using ControllerTest::SignInAs;
    using ControllerTest::TypeAndSignIn;

    // The check's thread uses this object's members: it ends first.
    void TearDown() override {
        dlg.OnDestroy();
        ControllerTest::TearDown();
    }
    // A check that answers only once released, or gives up when cancelled.
    void HoldTheCheck() {
        dlg.Session().m_credentialCheck = [this](const StringList&, const std::string&,
                                                 const std::string&, std::string&,
                                                 const std::atomic<bool>& cancelled) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!release && !cancelled && std::chrono::steady_clock::now() < end)
                std::this_thread::yield();
            checkReturned = true;
            return 1000;
        };
    }
    void SignOutFromTheMenu() {
        fake.messageBox.answers = {MessageBoxAnswer::Yes};
        dlg.OnMenuCommand(ID_SIGNOUT);
    }
    void Submitted() {
        TypeAndSignIn("kim@example.org", "secret");
        FinishCheck();
    }
    std::atomic<bool> release = false, checkReturned = false;
};

TEST_P(SessionTransitionTest, LeavesTimersAndWindowsConsistent) {
    const Transition& t = GetParam();
    Start();
    t.act(*this);
    fake.loop.Pump();
    EXPECT_EQ(dlg.Session().State(), t.state);
    EXPECT_EQ(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_WATCHDOG), t.watchdog);
    EXPECT_TRUE(fake.loop.HasTimer(dlg.Handle(), TIMER_PING));
    EXPECT_EQ(Login()->visible, t.loginVisible);
    EXPECT_EQ(Host()->visible, t.hostVisible);
    if (t.status) {
        EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{*t.status});
    }
    EXPECT_EQ(fake.messageBox.shown.size(), t.boxes);
    EXPECT_EQ(Host()->formSubmits, t.submits);
    // Whatever was under way is over: nothing fires later.
    if (t.state != SigningIn) {
        fake.loop.Advance(15000);
        EXPECT_EQ(dlg.Session().State(), t.state);
        EXPECT_EQ(Host()->formSubmits, t.submits);
    }
}

using T = SessionTransitionTest;
INSTANTIATE_TEST_SUITE_P(
    SignInSession, SessionTransitionTest,
    ::testing::Values(Transition{"attempt",
                                 [](T& t) {
                                     t.HoldTheCheck();
                                     t.TypeAndSignIn("kim@example.org", "secret");
                                 },
                                 SigningIn, false, true, false, "1", 0, 0},
                      Transition{"submitted", [](T& t) { t.Submitted(); }, SigningIn, true, true,
                                 false, "1", 0, 1},
                      Transition{"success", [](T& t) { t.SignInAs("tok"); }, SignedIn, false, false,
                                 true, std::nullopt, 0, 1},
                      Transition{"rejected address",
                                 [](T& t) {
                                     t.credentialResult = 400;
                                     t.TypeAndSignIn("kim@example.org", "secret");
                                     t.FinishCheck();
                                 },
                                 SignedOut, false, true, false, "2", 0, 0},
                      Transition{"failed check",
                                 [](T& t) {
                                     t.credentialResult = 500;
                                     t.TypeAndSignIn("kim@example.org", "secret");
                                     t.FinishCheck();
                                 },
                                 SignedOut, false, true, false, "0", 1, 0},
                      Transition{"failed confirmation",
                                 [](T& t) {
                                     t.Submitted();
                                     t.Host()->External("SigninOk", {"FAIL,,"});
                                 },
                                 SignedOut, false, true, false, "0", 1, 1},
                      Transition{"service error page",
                                 [](T& t) {
                                     t.Submitted();
                                     t.Host()->CompleteDocument(AppSettings.webClientBaseUrl +
                                                                "/account/signIn.do");
                                 },
                                 SignedOut, false, true, false, std::nullopt, 1, 1},
                      Transition{"cancel during the check",
                                 [](T& t) {
                                     t.HoldTheCheck();
                                     t.TypeAndSignIn("kim@example.org", "secret");
                                     t.SignOutFromTheMenu();
                                     // The check hears of the cancel and ends without a word.
                                     const auto end =
                                         std::chrono::steady_clock::now() + std::chrono::seconds(5);
                                     while (!t.checkReturned &&
                                            std::chrono::steady_clock::now() < end)
                                         std::this_thread::yield();
                                     ASSERT_TRUE(t.checkReturned);
                                     EXPECT_FALSE(t.fake.loop.WaitForSend(0));
                                 },
                                 SignedOut, false, true, false, std::nullopt, 1, 0},
                      Transition{"cancel with the answer waiting",
                                 [](T& t) {
                                     t.TypeAndSignIn("kim@example.org", "secret");
                                     ASSERT_TRUE(t.fake.loop.WaitForSend());
                                     t.SignOutFromTheMenu();
                                 },
                                 SignedOut, false, true, false, std::nullopt, 1, 0},
                      Transition{"cancel after submission",
                                 [](T& t) {
                                     t.Submitted();
                                     t.SignOutFromTheMenu();
                                 },
                                 SignedOut, false, true, false, std::nullopt, 1, 1},
                      Transition{"watchdog",
                                 [](T& t) {
                                     t.Submitted();
                                     t.fake.loop.Advance(15000);
                                 },
                                 SignedOut, false, true, false, std::nullopt, 1, 1},
                      Transition{"sign-out",
                                 [](T& t) {
                                     t.SignInAs("tok");
                                     t.SignOutFromTheMenu();
                                 },
                                 SignedOut, false, true, false, std::nullopt, 1, 1},
                      Transition{"keep-alive failing, signed in",
                                 [](T& t) {
                                     t.SignInAs("tok");
                                     t.pingError = "down";
                                     t.fake.loop.Advance(SignInSession::kPingPeriodMs);
                                 },
                                 SignedOut, false, true, false, std::nullopt, 1, 1},
                      Transition{"keep-alive failing, signed out",
                                 [](T& t) {
                                     t.pingError = "down";
                                     t.fake.loop.Advance(3 * SignInSession::kPingPeriodMs);
                                 },
                                 SignedOut, false, true, false, std::nullopt, 0, 0}),
    [](const auto& info) {
        std::string name;
        for (const char* c = info.param.name; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

// The watchdog of an ended attempt must not end the next one, nor the
// result of its check act on it.
TEST_F(ControllerTest, AnEndedAttemptCannotTouchTheNextOne) {
    Start();
    TypeAndSignIn("kim@example.org", "secret");
    FinishCheck();  // the first attempt's form is submitted: watchdog runs
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    dlg.OnMenuCommand(ID_SIGNIN);
    fake.loop.Advance(5000);

    std::atomic<bool> release = false;
    dlg.Session().m_credentialCheck = [&](auto&&...) {
        while (!release) std::this_thread::yield();
        return 1000;
    };
    TypeAndSignIn("kim@example.org", "secret");
    fake.loop.Advance(10000);  // when the first watchdog would have run out
    EXPECT_EQ(dlg.Session().State(), SigningIn);
    EXPECT_EQ(fake.messageBox.shown.size(), 1u);  // the question only
    release = true;
    FinishCheck();
    EXPECT_EQ(Host()->formSubmits, 2);
    EXPECT_EQ(fake.loop.TimerPeriod(dlg.Handle(), TIMER_SIGNIN_WATCHDOG), 15000u);
}

TEST_F(ControllerTest, TheSignInPageLoadsOnlyOnceTheSessionCookiesAreGone) {
    Start();
    SignInAs("tok");
    Host()->CompleteDocument(AppSettings.webClientBaseUrl + "/client/");
    fake.browser.deferEnd = true;
    const size_t loads = Host()->navigations.size();
    fake.messageBox.answers = {MessageBoxAnswer::Yes};
    dlg.OnMenuCommand(ID_SIGNOUT);
    EXPECT_EQ(fake.browser.sessionsEnded, 1);
    EXPECT_EQ(Host()->navigations.size(), loads);
    fake.browser.FinishEndSession();
    ASSERT_EQ(Host()->navigations.size(), loads + 1);
    EXPECT_EQ(Host()->navigations.back().url, AppSettings.webClientBaseUrl + kSignInPath);
    EXPECT_EQ(fake.loop.TimerPeriod(dlg.Handle(), TIMER_SIGNIN_PAGE), SignInSession::kSigninPageMs);
}

TEST_F(ControllerTest, SignInOrOutClearsTheLoginPageMessagesWhateverWasCalledLast) {
    Start();
    SignInAs("tok");  // the last page call went to the web client
    fake.messageBox.answers = {MessageBoxAnswer::No};
    dlg.OnMenuCommand(ID_SIGNOUT);
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"9"});
    EXPECT_TRUE(CallsOf(Host(), "showLoginStatus").empty());
}

// The check can answer while the user is asked whether to sign out: the
// answer waits for theirs. Yes drops it, No lets the sign-in go on.
class SignOutQuestionTest : public ControllerTest {
protected:
    void CheckAnsweredWhileAsked(MessageBoxAnswer answer) {
        Start();
        TypeAndSignIn("kim@example.org", "secret");
        fake.messageBox.answers = {answer};
        fake.messageBox.whileOpen = [&] {
            FinishCheck();
            EXPECT_EQ(Host()->formSubmits, 0);
        };
        dlg.OnMenuCommand(ID_SIGNIN);
        fake.messageBox.whileOpen = nullptr;
        fake.loop.Pump();
    }
};

TEST_F(SignOutQuestionTest, YesDropsACheckAnsweredMeanwhile) {
    CheckAnsweredWhileAsked(MessageBoxAnswer::Yes);
    EXPECT_EQ(Host()->formSubmits, 0);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_EQ(fake.messageBox.shown.size(), 1u);  // the question only
}

TEST_F(SignOutQuestionTest, NoGoesOnWithACheckAnsweredMeanwhile) {
    CheckAnsweredWhileAsked(MessageBoxAnswer::No);
    EXPECT_EQ(Host()->formSubmits, 1);
    EXPECT_EQ(dlg.Session().State(), SigningIn);
}
