// The wait for the service's sign-in page to say it is ready, and the links
// the web client sends outside the program.
#include "desktop/OpenInBrowser.h"
#include "unit/ControllerFixture.h"

namespace {
const std::string kErrorStatus = SignInSession::kLoginErrorStatus;

class SigninPageWaitTest : public ControllerTest {
protected:
    // Starts with both pages loaded but no word from the sign-in page.
    void StartUnready() {
        Start();
        Host()->navigations.clear();
    }
    std::string LastStatus() {
        const auto calls = CallsOf(Login(), "showLoginStatus");
        return calls.empty() || calls.back().empty() ? std::string() : calls.back()[0];
    }
    size_t SignInPageLoads() {
        size_t n = 0;
        for (const auto& nav : Host()->navigations)
            if (nav.url.find(kSignInPath) != std::string::npos) ++n;
        return n;
    }
};
}  // namespace

TEST_F(SigninPageWaitTest, AnUnreadyPageIsLoadedOnceMoreThenTheErrorIsShown) {
    // Each row: milliseconds from the start, sign-in page loads by then
    // (after the start's own), the login page's last status.
    struct Step {
        unsigned at;
        size_t loads;
        const char* status;
    };
    const Step steps[] = {
        {29999, 0, "1"}, {30000, 1, "1"}, {59999, 1, "1"}, {60000, 1, "3"}, {200000, 1, "3"},
    };
    StartUnready();
    Login()->calls.clear();  // the start-up status is "1" (loading)
    unsigned now = 0;
    for (const Step& step : steps) {
        fake.loop.Advance(step.at - now);
        now = step.at;
        EXPECT_EQ(Host()->navigations.size(), step.loads) << step.at;
        const std::string status = LastStatus();
        EXPECT_EQ(status.empty() ? "1" : status, step.status) << step.at;
    }
    EXPECT_EQ(Host()->navigations.back().header, "whoami:murmel_notifier");
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_PAGE));
}

TEST_F(SigninPageWaitTest, ReadinessInEitherFormEndsTheWait) {
    const std::pair<const char*, StringList> answers[] = {
        {"SigninReady", {"1"}},
        {"ScriptToApp", {"101", "1"}},
    };
    StartUnready();
    for (const auto& [method, args] : answers) {
        for (unsigned before : {1000u, 45000u}) {  // on the first load or the second
            dlg.Session().ResetSignIn(0);          // a fresh load of the page, with a fresh wait
            Host()->navigations.clear();
            fake.loop.Advance(before);
            Host()->External(method, args);
            EXPECT_EQ(LastStatus(), "0") << method << before;
            EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_PAGE));
            fake.loop.Advance(120000);
            EXPECT_EQ(LastStatus(), "0") << method << before;
            EXPECT_EQ(Host()->navigations.size(), before < 30000 ? 0u : 1u) << method << before;
        }
    }
}

TEST_F(SigninPageWaitTest, LoginAfterTheErrorLoadsThePageAgainAndSignsInWhenReady) {
    StartUnready();
    fake.loop.Advance(60000);
    ASSERT_EQ(LastStatus(), kErrorStatus);
    const size_t loads = SignInPageLoads();
    TypeAndSignIn("kim@example.org", "secret");
    Login()->Element("span_signin");  // the click and the page's call arrive both
    EXPECT_EQ(SignInPageLoads(), loads + 1);
    EXPECT_EQ(LastStatus(), "1");
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    EXPECT_TRUE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_PAGE));

    Host()->External("SigninReady", {"1"});
    EXPECT_EQ(dlg.Session().State(), SigningIn);
    FinishCheck();
    EXPECT_EQ(checkedEmail, "kim@example.org");
    EXPECT_EQ(Host()->formSubmits, 1);
    Host()->External("SigninOk", {"SUCCESS,tok,x"});
    EXPECT_EQ(dlg.Session().State(), SignedIn);
}

TEST_F(SigninPageWaitTest, LoginAfterTheErrorThatStaysUnreadyFailsAgainAfterTwoWaits) {
    StartUnready();
    fake.loop.Advance(60000);
    Login()->Element("span_signin");
    fake.loop.Advance(59999);
    EXPECT_EQ(LastStatus(), "1");
    fake.loop.Advance(1);
    EXPECT_EQ(LastStatus(), kErrorStatus);
    // A later ready page shows the form, without a sign-in of its own.
    Host()->External("SigninReady", {"1"});
    EXPECT_EQ(LastStatus(), "0");
    EXPECT_EQ(dlg.Session().State(), SignedOut);
}

TEST_F(SigninPageWaitTest, AForeignPageFailsAtOnceOnlyWhileThePageIsAwaited) {
    StartUnready();
    Host()->events->OnForeignDocument("http://localhost:1234/account/plugin_signin.html");
    EXPECT_EQ(LastStatus(), kErrorStatus);
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_SIGNIN_PAGE));

    // Once ready, or signed in, another site's page changes nothing here.
    Login()->Element("span_signin");
    Host()->External("SigninReady", {"1"});
    Host()->events->OnForeignDocument("http://localhost:1234/");
    EXPECT_EQ(LastStatus(), "0");
    SignInAs("abc");
    Host()->events->OnForeignDocument("http://localhost:1234/");
    EXPECT_EQ(dlg.Session().State(), SignedIn);
    EXPECT_NE(LastStatus(), kErrorStatus);
}

TEST_F(SigninPageWaitTest, NoWaitRunsWhileSigningInOrSignedIn) {
    Start();
    SignInAs("abc");
    fake.loop.Advance(120000);
    EXPECT_EQ(dlg.Session().State(), SignedIn);
    EXPECT_NE(LastStatus(), kErrorStatus);
}

TEST_F(ControllerTest, LinksLeaveOnlyForWebAndMailAddresses) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://example.org/a?b=1", "browser https://example.org/a?b=1"},
        {"HTTP://example.org/", "browser HTTP://example.org/"},
        {"mailto:kim@example.org", "mailto:kim@example.org"},
        {"file:///etc/passwd", nullptr},
        {"murmel-test://open", nullptr},
        {"javascript:alert(1)", nullptr},
        {"http:/etc/passwd", nullptr},
        {"https://", nullptr},
        {"about:blank", nullptr},
        {"", nullptr},
    };
    Start();
    fake.shell.browserCommand = "browser";
    for (const auto& [url, opened] : cases) {
        fake.shell.opened.clear();
        Host()->events->OnLinkOut(url);
        if (opened)
            EXPECT_EQ(fake.shell.opened, StringList{opened}) << url;
        else
            EXPECT_TRUE(fake.shell.opened.empty()) << url;
    }
}
