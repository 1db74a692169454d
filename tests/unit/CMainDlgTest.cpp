#include "unit/ControllerFixture.h"

TEST_F(ControllerTest, CreatesItsWindowsHiddenInOrder) {
    // The tray item goes up before the first page is made.
    std::vector<bool> trayShownAtWindow;
    fake.htmlWindows.onCreate = [&](const HtmlWindowDescription&) {
        trayShownAtWindow.push_back(fake.tray.shown);
    };
    ASSERT_TRUE(dlg.Create());
    ASSERT_FALSE(trayShownAtWindow.empty());
    EXPECT_TRUE(trayShownAtWindow.front());
    std::vector<int> pages;
    for (FakeHtmlWindow* w : fake.htmlWindows.created) pages.push_back(w->spec.resourceId);
    // The web-client window starts empty: its first load is the sign-in page.
    // The settings window and the toasts wait for their first need.
    EXPECT_EQ(pages, (std::vector<int>{172, 0}));
    EXPECT_TRUE(fake.htmlWindows.created.back()->spec.ownWebProcess);
    for (FakeHtmlWindow* w : fake.htmlWindows.created)
        EXPECT_FALSE(w->visible) << w->spec.resourceId;
    ASSERT_EQ(fake.dialogs.created.size(), 2u);  // logout notice, then account dialog
    EXPECT_EQ(fake.dialogs.created[0]->spec.title, "Murmel Alarm");
    EXPECT_FALSE(fake.dialogs.created[0]->spec.closeBox);
    EXPECT_FALSE(fake.dialogs.created[0]->visible);
    EXPECT_FALSE(fake.dialogs.created[1]->visible);
    EXPECT_EQ(Login()->title, "Murmel Alarm");
    // The tray icon is there, signed out, before the login window shows.
    EXPECT_TRUE(fake.tray.shown);
    EXPECT_EQ(fake.tray.current.iconId, 266);
    EXPECT_EQ(fake.tray.current.tooltip, "Murmel Alarm");
    // Message boxes keep input from the login window alone, until it goes.
    EXPECT_EQ(fake.messageBox.owner, Login());
    dlg.OnDestroy();
    EXPECT_EQ(fake.messageBox.owner, nullptr);
}

TEST_F(ControllerTest, WhatTheTrayItemIsAskedBeforeTheWindowsWaitsForThem) {
    // Run from its loop, the controller makes its windows after the tray
    // item is up; clicks and commands that come in between are kept.
    dlg.Start();
    EXPECT_TRUE(fake.tray.shown);
    EXPECT_TRUE(fake.htmlWindows.created.empty());
    EXPECT_EQ(fake.tray.RequestMenu().size(), 4u);
    fake.tray.Click(TrayClick::RightUp);
    fake.tray.ChooseCommand(ID_SETTINGS_SIGNED_OUT);
    fake.loop.Post(dlg.Handle(), UWM_ACTIVATE);
    EXPECT_EQ(fake.tray.Count(FakeTray::Op::Popup), 0);
    fake.loop.Pump();
    ASSERT_NE(Login(), nullptr);
    EXPECT_EQ(fake.tray.Count(FakeTray::Op::Popup), 1);
    EXPECT_NE(fake.htmlWindows.WithPage(CSettingFrm::kPageId), nullptr);
    EXPECT_GT(Login()->foregroundCount, 0);
    // Kept once: a later loop turn does not replay them.
    fake.loop.Pump();
    EXPECT_EQ(fake.tray.Count(FakeTray::Op::Popup), 1);
}

TEST_F(ControllerTest, WithoutItsEngineTheLoopEndsAndWhatWasAskedIsDropped) {
    fake.htmlWindows.loads = false;
    dlg.Start();
    fake.tray.ChooseCommand(ID_SETTINGS_SIGNED_OUT);
    fake.loop.Run();
    EXPECT_TRUE(fake.loop.QuitRequested());
    EXPECT_TRUE(fake.htmlWindows.created.empty());
    dlg.OnDestroy();
}

TEST_F(ControllerTest, QuitBeforeTheWindowsEndsWithoutMakingThem) {
    dlg.Start();
    fake.tray.ChooseCommand(ID_QUIT_SIGNED_OUT);
    EXPECT_TRUE(fake.loop.QuitRequested());
    dlg.OnDestroy();
    fake.loop.Pump();  // the making of the windows, still queued
    EXPECT_TRUE(fake.htmlWindows.created.empty());
}

TEST_F(ControllerTest, ToastsAndSettingsWindowAreMadeOnFirstNeed) {
    Start();
    const auto made = [&](int page) { return fake.htmlWindows.AllWithPage(page).size(); };
    // A sign-in that starts makes the toasts while the credentials are checked.
    credentialResult = 1001;
    TypeAndSignIn("kim@example.org", "wrong");
    EXPECT_EQ(made(CNotiHtmlDlg::kPageId), 5u);
    FinishCheck();
    EXPECT_EQ(made(CNotiHtmlDlg::kPageId), 5u);  // once
    dlg.ShowNotification("{}", 3);
    EXPECT_EQ(made(CNotiHtmlDlg::kPageId), 5u);

    // The settings window is made at its first opening and shown once its
    // page is there, not as an empty frame.
    EXPECT_EQ(made(CSettingFrm::kPageId), 0u);
    dlg.OnMenuCommand(ID_SETTINGS_SIGNED_OUT);
    FakeHtmlWindow* settings = fake.htmlWindows.WithPage(CSettingFrm::kPageId);
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(settings->visible);
    settings->CompleteDocument("res:///html/settings.html");
    EXPECT_TRUE(settings->visible);
    settings->Hide();
    settings->CompleteDocument("res:///html/settings.html");
    EXPECT_FALSE(settings->visible);  // a later load does not open it again
    dlg.OnMenuCommand(ID_SETTINGS_SIGNED_OUT);
    EXPECT_TRUE(settings->visible);
    EXPECT_EQ(made(CSettingFrm::kPageId), 1u);
}

TEST_F(ControllerTest, AFirstMessageMakesTheToastsItShowsIn) {
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(fake.htmlWindows.AllWithPage(CNotiHtmlDlg::kPageId).empty());
    dlg.ShowNotification(R"({"sender":"Ada","message":"Hi","sessionId":"c1"})", 1);
    auto toasts = fake.htmlWindows.AllWithPage(CNotiHtmlDlg::kPageId);
    ASSERT_EQ(toasts.size(), 5u);
    EXPECT_FALSE(dlg.Toasts()[0].m_eventData.empty());
}

TEST_F(ControllerTest, ToastsStandInAColumnAboveTheWorkAreaCorner) {
    fake.desktop.workArea = {0, 0, 1280, 760};
    ASSERT_TRUE(dlg.Create());
    dlg.Toasts();
    auto toasts = fake.htmlWindows.AllWithPage(CNotiHtmlDlg::kPageId);
    ASSERT_EQ(toasts.size(), 5u);
    for (int k = 0; k < 5; ++k) {
        const Rect r = toasts[k]->GetRect();
        EXPECT_EQ(r.left, 1280 - 238) << k;
        EXPECT_EQ(r.top, 760 - 71 * (k + 1) - 5) << k;
        EXPECT_EQ(r.Width(), 228);
        EXPECT_EQ(r.Height(), 66);
        EXPECT_TRUE(toasts[k]->topmost);
        EXPECT_FALSE(toasts[k]->spec.taskbar);
        EXPECT_EQ(dlg.Toasts()[k].m_left, r.left);
        EXPECT_EQ(dlg.Toasts()[k].m_top, r.top);
    }
    // 10 pixels from the right and bottom edges; the top one 360 above the bottom.
    EXPECT_EQ(toasts[0]->GetRect().right, 1270);
    EXPECT_EQ(toasts[0]->GetRect().bottom, 750);
    EXPECT_EQ(toasts[4]->GetRect().top, 760 - 360);
}

TEST_F(ControllerTest, ToastsOnAShortWorkAreaAreNotClamped) {
    fake.desktop.workArea = {100, 50, 900, 350};  // a panel on the left, 300 high
    ASSERT_TRUE(dlg.Create());
    dlg.Toasts();
    auto toasts = fake.htmlWindows.AllWithPage(CNotiHtmlDlg::kPageId);
    EXPECT_EQ(toasts[0]->GetRect().left, 900 - 238);
    EXPECT_EQ(toasts[4]->GetRect().top, 350 - 360);
}

TEST_F(ControllerTest, LoginWindowShowsOnlyOnceItsPageHasLoaded) {
    ASSERT_TRUE(dlg.Create());
    FakeHtmlWindow* login = Login();
    EXPECT_FALSE(login->visible);
    EXPECT_EQ(login->foregroundCount, 0);  // not asked to come forward unseen
    EXPECT_EQ(login->GetRect().Width(), 281);
    EXPECT_EQ(login->GetRect().Height(), 387);
    EXPECT_EQ(login->region, (Point{17, 17}));
    EXPECT_TRUE(login->centered);

    // A second start while the page is still loading does not show it either.
    fake.loop.Post(dlg.Handle(), UWM_ACTIVATE);
    fake.loop.Pump();
    EXPECT_FALSE(login->visible);

    // A frame finishing first does not count.
    login->CompleteDocument("res:///frame.html", false);
    EXPECT_FALSE(login->visible);

    login->CompleteDocument("res:///html/login.html");
    EXPECT_TRUE(login->visible);
    EXPECT_EQ(login->timesShown, 1);
    login->Hide();
    login->CompleteDocument("res:///html/login.html");
    EXPECT_FALSE(login->visible);  // only the first page shows it
}

TEST_F(ControllerTest, PageFieldsAreWrittenWithHintsAfterTheFirstLoad) {
    AppSettings.rememberEmail = true;
    AppSettings.savedEmail = "kim@example.org";
    ASSERT_TRUE(dlg.Create());
    FakeHtmlWindow* login = Login();
    EXPECT_EQ(login->GetData("input_email"), "kim@example.org");
    EXPECT_EQ(login->GetData("checkbox_email"), "1");
    EXPECT_EQ(login->GetData("input_password"), "");  // hints reach the page with the next write
    // The page knows the hints before its first load, so a field clears its
    // hint on the first click, without asking the program.
    EXPECT_EQ(login->focusHints, (StringList{"Email", "Password"}));
    login->CompleteDocument("res:///html/login.html");
    EXPECT_EQ(login->GetData("input_password"), "Password");
    EXPECT_EQ(login->GetData("alarm"), "Alarm");
    EXPECT_EQ(login->bound.at("checkbox_email"), DataKind::Checkbox);
    AppSettings.rememberEmail = false;
    AppSettings.savedEmail.clear();
}

TEST_F(ControllerTest, EmptyRememberedAddressBecomesTheHint) {
    ASSERT_TRUE(dlg.Create());
    Login()->CompleteDocument("res:///html/login.html");
    EXPECT_EQ(Login()->GetData("input_email"), "Email");
    EXPECT_EQ(Login()->GetData("checkbox_email"), "0");
}

TEST_F(ControllerTest, HostLoadsTheSignInPageOnceWithTheClientHeader) {
    ASSERT_TRUE(dlg.Create());
    FakeHtmlWindow* host = Host();
    EXPECT_EQ(host->loadedResource, 0);
    ASSERT_EQ(host->navigations.size(), 1u);
    const std::string page =
        AppSettings.webClientBaseUrl + "/account/plugin_signin.html?SigninType=plugin";
    EXPECT_EQ(host->navigations[0].url, page);
    EXPECT_EQ(host->navigations[0].header, "whoami:murmel_notifier");
    EXPECT_EQ(host->GetRect().Width(), 1024);
    EXPECT_EQ(host->GetRect().Height(), 806);
    EXPECT_EQ(host->title, "");
    EXPECT_EQ(host->spec.title, "Murmel Alarm");
    EXPECT_TRUE(host->spec.ownWebProcess);
    EXPECT_TRUE(dlg.WebClientWindow().Active());
}

TEST_F(ControllerTest, KeepAliveTimerRunsUntilTeardown) {
    ASSERT_TRUE(dlg.Create());
    const WindowHandle handle = dlg.Handle();
    EXPECT_EQ(fake.loop.TimerPeriod(handle, TIMER_PING), 10000u);
    dlg.OnDestroy();
    EXPECT_FALSE(fake.loop.HasTimer(handle, TIMER_PING));
    for (FakeHtmlWindow* w : fake.htmlWindows.created) EXPECT_EQ(w, nullptr);
    for (FakeNativeDialog* d : fake.dialogs.created) EXPECT_EQ(d, nullptr);
}

TEST_F(ControllerTest, CloseEndsTheLoopAndEnterOrEscapeDoNot) {
    ASSERT_TRUE(dlg.Create());
    Login()->events->OnKey(0xff0d);
    Login()->events->OnKey(0xff1b);
    fake.loop.Pump();
    EXPECT_FALSE(fake.loop.QuitRequested());
    fake.loop.Post(dlg.Handle(), WM_CLOSE);
    fake.loop.Run();
    EXPECT_TRUE(fake.loop.QuitRequested());
}

TEST_F(ControllerTest, ActivationBringsTheSignInWindowForwardWhenSignedOut) {
    ASSERT_TRUE(dlg.Create());
    Login()->CompleteDocument("res:///html/login.html");
    Login()->Hide();
    const int before = Login()->foregroundCount;
    fake.loop.Post(dlg.Handle(), UWM_ACTIVATE);
    fake.loop.Pump();
    EXPECT_TRUE(Login()->visible);
    EXPECT_GT(Login()->foregroundCount, before);
    EXPECT_FALSE(Host()->visible);

    dlg.Session().SetStateForTest(SignedIn);
    Login()->Hide();
    fake.loop.Post(dlg.Handle(), UWM_ACTIVATE);
    fake.loop.Pump();
    EXPECT_FALSE(Login()->visible);
    EXPECT_TRUE(Host()->visible);
}

TEST_F(ControllerTest, MemoryIsHandedBackOnceASignInOrABurstIsOver) {
    Start();
    SignInAs("t1");
    fake.loop.Advance(9999);
    EXPECT_EQ(fake.memory.released, 0);
    fake.loop.Advance(1);
    EXPECT_EQ(fake.memory.released, 1);
    // Every message of a burst starts the wait again: one release, after it.
    for (int i = 0; i < 30; ++i) {
        dlg.ShowNotification(R"({"sender":"Ada","message":"Hi","sessionId":"c1"})", 2);
        fake.loop.Advance(500);
    }
    EXPECT_EQ(fake.memory.released, 1);
    fake.loop.Advance(9500);
    EXPECT_EQ(fake.memory.released, 2);
    // Quiet from then on: no timer wakes the program for it.
    EXPECT_FALSE(fake.loop.HasTimer(dlg.Handle(), TIMER_RELEASE_MEMORY));
    fake.loop.Advance(60000);
    EXPECT_EQ(fake.memory.released, 2);
    dlg.OnDestroy();
}
