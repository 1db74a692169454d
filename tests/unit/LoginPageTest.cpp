#include "unit/ControllerFixture.h"

TEST_F(ControllerTest, UncheckingRememberForgetsTheAddressAndEmptiesBothFields) {
    AppSettings.rememberEmail = true;
    fake.store.values["email"] = "kim@example.org";
    UseSettingsStore(&fake.store, &fake.profile);
    Start();
    Login()->UserSets("input_email", "kim@example.org");
    Login()->UserSets("input_password", "half-typed");
    Login()->UserSets("checkbox_email", "0");
    Login()->Element("checkbox_email");
    EXPECT_FALSE(AppSettings.rememberEmail);
    EXPECT_EQ(fake.store.values["re_email"], "FALSE");
    EXPECT_EQ(fake.store.values["email"], "");
    EXPECT_EQ(Login()->GetData("input_email"), "");
    EXPECT_EQ(Login()->GetData("input_password"), "");
    EXPECT_EQ(CallsOf(Login(), "UpdateData").back(), (StringList{"Email", "Password"}));

    // Checking it stores nothing but the choice until the next sign-in.
    Login()->UserSets("input_email", "kim@example.org");
    Login()->UserSets("checkbox_email", "1");
    Login()->Element("checkbox_email");
    EXPECT_TRUE(AppSettings.rememberEmail);
    EXPECT_EQ(fake.store.values["re_email"], "TRUE");
    EXPECT_EQ(fake.store.values["email"], "");
    SignInAs("tok");
    EXPECT_EQ(fake.store.values["email"], "kim@example.org");
    UseSettingsStore(nullptr, nullptr);
}

TEST_F(ControllerTest, AccountLinksOpenInTheDefaultBrowserOrTheDesktopHandler) {
    Start();
    Login()->Element("a_forgot");
    fake.shell.browserCommand = "/usr/bin/browser %u";
    Login()->Element("main_btn_signup");
    ASSERT_EQ(fake.shell.opened.size(), 2u);
    EXPECT_EQ(fake.shell.opened[0],
              AppSettings.webClientBaseUrl + "/account/plugin_signin.html?SigninType=findpw");
    EXPECT_EQ(fake.shell.opened[1], "/usr/bin/browser %u " + AppSettings.webClientBaseUrl +
                                        "/account/plugin_signin.html?SigninType=signup");
}

TEST_F(ControllerTest, WindowButtonsAndOnlyClicksAct) {
    Start();
    Login()->Element("span_signin", ElementEvent::MouseDown);
    EXPECT_EQ(dlg.Session().State(), SignedOut);
    Login()->Element("div_min");
    EXPECT_TRUE(Login()->minimized);
    Login()->Element("div_close");
    EXPECT_FALSE(Login()->visible);
    EXPECT_FALSE(fake.loop.QuitRequested());
    EXPECT_EQ(Login()->dragHandles, (StringList{"head_title", "logo", "logoimg"}));
}
