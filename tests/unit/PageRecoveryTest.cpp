// What the controller and its windows do when a page's web process ends:
// the web client goes back to what it showed, the login page and the
// toasts get their state back or step aside, a process that keeps dying
// ends in the login page's error status.
#include "unit/ControllerFixture.h"

TEST_F(ControllerTest, WebClientProcessEndsAccordingToTheSession) {
    struct Case {
        const char* what;
        SessionState state;
        bool reloading;
        bool navigatesToSignIn;
        std::optional<StringList> loginStatus;  // the status the page is left with
        SessionState after;
    };
    const Case cases[] = {
        {"signed out: the sign-in page again, the form once it is ready", SignedOut, true, true,
         StringList{"1"}, SignedOut},
        {"signed in: the window reloads the web client itself", SignedIn, true, false, std::nullopt,
         SignedIn},
        {"signed out, process keeps dying: error status", SignedOut, false, false,
         StringList{SignInSession::kLoginErrorStatus}, SignedOut},
        {"signed in, process keeps dying: signed out with the error status", SignedIn, false, false,
         StringList{SignInSession::kLoginErrorStatus}, SignedOut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Start();
        if (c.state == SignedIn) {
            SignInAs("tok");
            Host()->CompleteDocument(AppSettings.webClientBaseUrl + "/client/");
        }
        const size_t navigations = Host()->navigations.size();
        const size_t statuses = CallsOf(Login(), "showLoginStatus").size();
        Host()->ProcessEnds(c.reloading);
        EXPECT_FALSE(Host()->HasDocument());
        if (c.navigatesToSignIn) {
            ASSERT_EQ(Host()->navigations.size(), navigations + 1);
            EXPECT_EQ(Host()->navigations.back().url, AppSettings.webClientBaseUrl + kSignInPath);
        } else if (c.reloading) {
            EXPECT_EQ(Host()->navigations.size(), navigations);
        }
        const auto calls = CallsOf(Login(), "showLoginStatus");
        if (c.loginStatus)
            EXPECT_EQ(calls.back(), *c.loginStatus);
        else
            EXPECT_EQ(calls.size(), statuses);
        EXPECT_EQ(dlg.Session().State(), c.after);
        // The sign-in page answering again gives the form back.
        if (c.state == SignedOut && c.reloading) {
            Host()->CompleteDocument(AppSettings.webClientBaseUrl + kSignInPath);
            Host()->External("SigninReady", {"1"});
            EXPECT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"0"});
        }
    }
}

TEST_F(ControllerTest, LoginPageLoadedAgainGetsItsFieldsAndStatusBack) {
    Start();
    credentialResult = 400;
    TypeAndSignIn("kim@example.org", "wrong");
    FinishCheck();
    ASSERT_EQ(CallsOf(Login(), "showLoginStatus").back(), StringList{"2"});
    Login()->calls.clear();
    Login()->data.clear();

    Login()->ProcessEnds(true);
    EXPECT_TRUE(fake.messageBox.shown.empty());
    Login()->CompleteDocument("res:///html/login.html");
    EXPECT_EQ(Login()->GetData("input_email"), "kim@example.org");
    EXPECT_EQ(Login()->GetData("main_title"), dlg.Login().TitleText());
    EXPECT_EQ(CallsOf(Login(), "showLoginStatus"), (std::vector<StringList>{{"2"}}));

    // A page that keeps dying cannot show anything: the box says so.
    Login()->ProcessEnds(false);
    ASSERT_EQ(fake.messageBox.shown.size(), 1u);
    EXPECT_EQ(fake.messageBox.shown[0].text, "Login error. Please try again later.");
}

TEST_F(ControllerTest, ToastWhosePageEndsIsHiddenAndAFillWhileLoadingIsApplied) {
    Start();
    CNotiHtmlDlg& toast = dlg.Toasts()[0];
    auto* page = static_cast<FakeHtmlWindow*>(toast.Window());
    page->CompleteDocument("res:///html/toast.html");
    ASSERT_TRUE(toast.FillToast(R"({"sender":"Kim","msg":"Hi","msgtype":0})"));
    toast.ShowToast();
    ASSERT_TRUE(toast.IsShown());

    page->ProcessEnds(true);
    EXPECT_FALSE(toast.IsShown());
    EXPECT_TRUE(toast.m_eventData.empty());

    // A message that arrives while the page loads again reaches it once
    // it has loaded.
    page->calls.clear();
    ASSERT_TRUE(toast.FillToast(R"({"sender":"Bo","msg":"Late","msgtype":0})"));
    EXPECT_TRUE(page->calls.empty());
    page->CompleteDocument("res:///html/toast.html");
    const std::vector<StringList> fills = CallsOf(page, "setToast");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].at(1), "Bo");
    EXPECT_EQ(fills[0].at(2), "Late");
}
