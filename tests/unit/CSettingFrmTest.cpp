// The settings window on fake ports: what it loads into its page, what Save
// and Cancel store, the sound samples and the version line.
#include <gtest/gtest.h>

#include "config/AppSettings.h"
#include "config/Settings.h"
#include "fakes/FakePorts.h"
#include "notify/AlertSound.h"
#include "settings/CSettingFrm.h"
#include "settings/SaveAutostart.h"
#include "unit/ControllerFixture.h"

namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = AppSettings;
        AppSettings.alertSound = true;
        AppSettings.soundIndex = "0";
        AppSettings.messagePreview = true;
        fake.network.online = false;
        UseSettingsStore(&fake.store, &fake.profile);
    }
    void TearDown() override {
        UseSettingsStore(nullptr, nullptr);
        AppSettings = saved;
    }
    using Writes = std::vector<std::pair<std::string, std::string>>;

    // Creates the window and lets its page load.
    void Open() {
        frm.Create(fake.ports, 7);
        frm.m_queryVersion = [this](const StringList& cookies, VersionInfo& info) {
            ++versionQueries;
            queriedCookies = cookies;
            info.newversion = newestVersion;
            return newestVersion.empty() ? 0 : 1000;
        };
        Page()->CompleteDocument("res:///html/settings.html");
        Page()->calls.clear();
    }
    FakeHtmlWindow* Page() { return fake.htmlWindows.WithPage(CSettingFrm::kPageId); }
    std::string Shown(const std::string& id) { return Page()->GetData(id); }
    int InitValueCalls() {
        int n = 0;
        for (const auto& c : Page()->calls) n += c.name == "initValue";
        return n;
    }

    AppSettingsRecord saved;
    FakePorts fake;
    CSettingFrm frm;
    std::string newestVersion;
    int versionQueries = 0;
    StringList queriedCookies{"unset"};
};

TEST_F(SettingsWindowTest, IsASmallRoundedWindowDraggedByItsTitle) {
    Open();
    FakeHtmlWindow* page = Page();
    EXPECT_EQ(page->spec.width, 387);
    EXPECT_EQ(page->spec.height, 504);
    EXPECT_FALSE(page->spec.decorated);
    EXPECT_EQ(page->rect.right - page->rect.left, 387);
    EXPECT_EQ(page->region.x, 17);
    EXPECT_EQ(page->region.y, 17);
    EXPECT_TRUE(page->centered);
    EXPECT_EQ(page->dragHandles, (StringList{"head_title", "set_title"}));
    EXPECT_FALSE(page->visible);
    EXPECT_EQ(page->bound.at("selected_sound"), DataKind::InputValue);
    EXPECT_EQ(page->bound.at("chk_start"), DataKind::Checkbox);
    EXPECT_EQ(page->bound.at("new_version"), DataKind::InnerText);
    // The texts come from the string table in the display language.
    EXPECT_EQ(Shown("set_title"), "Settings");
    EXPECT_EQ(Shown("sound_5"), " Glass wiper");
    EXPECT_EQ(Shown("button_cancel"), "Cancel");
}

TEST_F(SettingsWindowTest, RefreshShowsTheStoredChoicesAndTheEntry) {
    AppSettings.soundIndex = "3";
    AppSettings.alertSound = false;
    AppSettings.messagePreview = false;
    fake.autostart.entry = "/somewhere/else/written-by-hand";
    Open();
    frm.RefreshSettings();
    EXPECT_EQ(Shown("selected_sound"), "3");
    EXPECT_EQ(Shown("chk_alert_sound"), "0");
    EXPECT_EQ(Shown("chk_preview"), "0");
    EXPECT_EQ(Shown("chk_start"), "1");
    // The page checks the radio button of the choice in initValue, after the
    // values are in; once by the exchange and once more afterwards.
    EXPECT_EQ(InitValueCalls(), 2);
    EXPECT_TRUE(fake.store.writes.empty());

    fake.autostart.entry.clear();
    AppSettings.alertSound = true;
    frm.RefreshSettings();
    EXPECT_EQ(Shown("chk_start"), "0");
    EXPECT_EQ(Shown("chk_alert_sound"), "1");
}

TEST_F(SettingsWindowTest, AChoiceWithoutASoundFallsBackToTheFirst) {
    for (const char* stored : {"7", "x", "5", "", "03", " 1", "-0"}) {
        SCOPED_TRACE(stored);
        AppSettings.soundIndex = stored;
        if (!Page()) Open();
        frm.RefreshSettings();
        EXPECT_EQ(Shown("selected_sound"), "0");
        EXPECT_EQ(frm.m_soundChoice, "0");
        // The store is repaired at once; new messages keep the old value
        // until the user saves.
        EXPECT_EQ(fake.store.writes.back(), std::make_pair(std::string("sound"), std::string("0")));
        EXPECT_EQ(AppSettings.soundIndex, stored);
        fake.store.writes.clear();
    }
}

TEST_F(SettingsWindowTest, SaveStoresWhatThePageShowsAndCloses) {
    Open();
    Page()->Show();
    Page()->UserSets("chk_alert_sound", "0");
    Page()->UserSets("selected_sound", "2");
    Page()->UserSets("chk_preview", "0");
    Page()->UserSets("chk_start", "1");
    Page()->Element("button_ok");
    EXPECT_EQ(fake.store.writes,
              (Writes{{"alert", "false"}, {"sound", "2"}, {"preview", "false"}}));
    EXPECT_FALSE(AppSettings.alertSound);
    EXPECT_EQ(AppSettings.soundIndex, "2");
    EXPECT_FALSE(AppSettings.messagePreview);
    EXPECT_EQ(fake.autostart.entry, fake.module.executable);
    EXPECT_FALSE(Page()->visible);

    // Unchecked, the next Save removes the entry again.
    Page()->Show();
    Page()->UserSets("chk_start", "0");
    Page()->Element("button_ok");
    EXPECT_EQ(fake.autostart.entry, "");
    EXPECT_EQ(fake.autostart.deletes, 1);
}

TEST_F(SettingsWindowTest, SaveWithNothingChangedStillWritesTheEntry) {
    fake.autostart.entry = "/opt/old/place/murmel-alarm";
    Open();
    Page()->Element("button_ok");
    EXPECT_EQ(fake.store.writes, (Writes{{"alert", "true"}, {"sound", "0"}, {"preview", "true"}}));
    EXPECT_EQ(fake.autostart.writes, 1);
    // The program moved: the entry follows it.
    EXPECT_EQ(fake.autostart.entry, fake.module.executable);
    EXPECT_TRUE(AppSettings.alertSound);
    EXPECT_EQ(AppSettings.soundIndex, "0");
}

TEST_F(SettingsWindowTest, CancelAndTheCloseLinkStoreNothing) {
    for (const char* button : {"button_cancel", "set_close"}) {
        SCOPED_TRACE(button);
        if (!Page()) Open();
        Page()->Show();
        Page()->UserSets("chk_alert_sound", "0");
        Page()->UserSets("selected_sound", "4");
        Page()->UserSets("chk_preview", "0");
        Page()->UserSets("chk_start", "1");
        Page()->Element(button);
        EXPECT_FALSE(Page()->visible);
        EXPECT_TRUE(AppSettings.alertSound);
        EXPECT_EQ(AppSettings.soundIndex, "0");
        EXPECT_TRUE(AppSettings.messagePreview);
        EXPECT_EQ(fake.autostart.writes + fake.autostart.deletes, 0);
        EXPECT_TRUE(fake.store.writes.empty());
        // The next opening shows what is stored, not what was typed.
        frm.RefreshSettings();
        EXPECT_EQ(Shown("chk_alert_sound"), "1");
        EXPECT_EQ(Shown("selected_sound"), "0");
        EXPECT_EQ(Shown("chk_preview"), "1");
        EXPECT_EQ(Shown("chk_start"), "0");
    }
}

TEST_F(SettingsWindowTest, FailedWritesStillChangeWhatNewMessagesUse) {
    Open();
    fake.store.failWrites = true;
    fake.autostart.succeed = false;
    Page()->UserSets("chk_alert_sound", "0");
    Page()->UserSets("selected_sound", "4");
    Page()->UserSets("chk_start", "1");
    Page()->Element("button_ok");
    EXPECT_FALSE(AppSettings.alertSound);
    EXPECT_EQ(AppSettings.soundIndex, "4");
    EXPECT_TRUE(fake.store.values.empty());
    // The next opening shows the real state of the entry.
    frm.RefreshSettings();
    EXPECT_EQ(Shown("chk_start"), "0");
}

TEST_F(SettingsWindowTest, SamplesPlayOnlyWithTheAlertSoundOn) {
    fake.sound.existing = {"/home/user/sound/sound1.wav", "/home/user/sound/sound3.wav",
                           InstalledDataDirectories(fake.module).back() + "/sound/sound5.wav"};
    Open();
    Page()->UserSets("chk_alert_sound", "1");
    Page()->Element("button_sound_2");
    Page()->Element("button_sound_0");
    // Not under the working directory: the installed copy.
    Page()->Element("button_sound_4");
    // Neither: the desktop's own new-message sound.
    Page()->Element("button_sound_1");
    EXPECT_EQ(fake.sound.played,
              (std::vector<std::string>{
                  "file:/home/user/sound/sound3.wav", "file:/home/user/sound/sound1.wav",
                  "file:" + InstalledDataDirectories(fake.module).back() + "/sound/sound5.wav",
                  "theme:message-new-instant"}));

    fake.sound.played.clear();
    Page()->UserSets("chk_alert_sound", "0");
    Page()->Element("button_sound_2");
    EXPECT_TRUE(fake.sound.played.empty());
    // The sample reads the page, but stores nothing.
    EXPECT_TRUE(AppSettings.alertSound);
}

TEST_F(SettingsWindowTest, TheAlertSoundBoxIsReadBackWhenClicked) {
    Open();
    Page()->UserSets("chk_alert_sound", "0");
    Page()->Element("chk_alert_sound");
    EXPECT_FALSE(frm.m_alert);
    EXPECT_EQ(InitValueCalls(), 1);
    Page()->UserSets("chk_alert_sound", "1");
    Page()->Element("chk_alert_sound", ElementEvent::MouseDown);
    EXPECT_FALSE(frm.m_alert);
}

TEST_F(SettingsWindowTest, VersionLineShowsTheNewestVersionWhenKnown) {
    Open();
    newestVersion = "1.1.0";
    frm.RefreshSettings();
    EXPECT_EQ(Shown("version"), "1.0.2");
    EXPECT_EQ(Shown("new_version"), "1.1.0");
    EXPECT_TRUE(queriedCookies.empty());

    newestVersion.clear();
    frm.RefreshSettings();
    EXPECT_EQ(Shown("new_version"), "1.0.2");
}

TEST_F(SettingsWindowTest, UnreachableVersionServiceShowsTheOwnVersionTwice) {
    // A real request to a loopback port where nobody listens.
    fake.network.online = true;
    AppSettings.webClientBaseUrl = "http://127.0.0.1:9";
    frm.Create(fake.ports, 7);
    Page()->CompleteDocument("res:///html/settings.html");
    EXPECT_EQ(Shown("version"), "1.0.2");
    EXPECT_EQ(Shown("new_version"), "1.0.2");
}

TEST_F(SettingsWindowTest, ValuesSetBeforeThePageLoadedReachIt) {
    AppSettings.soundIndex = "4";
    frm.Create(fake.ports, 7);
    // Nothing can be called before the document exists.
    EXPECT_EQ(InitValueCalls(), 0);
    Page()->data.clear();
    Page()->CompleteDocument("res:///html/settings.html");
    EXPECT_EQ(Shown("selected_sound"), "4");
    EXPECT_EQ(Shown("version"), "1.0.2");
    EXPECT_EQ(InitValueCalls(), 1);
}

TEST(SaveAutostartTest, NeedsAPathToStartFrom) {
    FakeAutostart autostart;
    FakeModulePath module;
    module.executable.clear();
    SaveAutostart(autostart, module, true);
    EXPECT_EQ(autostart.writes, 0);
    // A failed write is not reported and leaves no entry behind.
    module.executable = "/opt/murmel/murmel-alarm";
    autostart.succeed = false;
    SaveAutostart(autostart, module, true);
    EXPECT_EQ(autostart.entry, "");
}

// Both tray menus open the window, each time with what is stored now.
TEST_F(ControllerTest, SettingsCommandOpensTheWindowWithTheStoredValues) {
    const AppSettingsRecord before = AppSettings;
    Start();
    dlg.OnMenuCommand(32791u);
    FakeHtmlWindow* settings = fake.htmlWindows.WithPage(CSettingFrm::kPageId);
    ASSERT_NE(settings, nullptr);
    settings->CompleteDocument("res:///html/settings.html");
    for (unsigned command : {32791u, 32778u}) {
        settings->Hide();
        AppSettings.soundIndex = command == 32791u ? "1" : "3";
        fake.autostart.entry = command == 32791u ? "" : "/opt/murmel/murmel-alarm";
        dlg.OnMenuCommand(command);
        EXPECT_TRUE(settings->visible);
        EXPECT_EQ(settings->GetData("selected_sound"), AppSettings.soundIndex);
        EXPECT_EQ(settings->GetData("chk_start"), command == 32791u ? "0" : "1");
    }
    AppSettings = before;
}

}  // namespace

TEST_F(SettingsWindowTest, ChoicesTheUserMadeSurviveTheirPageLoadingAgain) {
    Open();
    // The user has changed choices; the page reported them with a click.
    Page()->UserSets("selected_sound", "3");
    Page()->UserSets("chk_preview", "0");
    Page()->UserSets("chk_alert_sound", "0");
    Page()->ProcessEnds(true);
    Page()->data.clear();
    Page()->CompleteDocument("res:///html/settings.html");
    EXPECT_EQ(Shown("selected_sound"), "3");
    EXPECT_EQ(Shown("chk_preview"), "0");
    EXPECT_EQ(Shown("chk_alert_sound"), "0");
    EXPECT_EQ(Shown("version"), frm.m_version);
    EXPECT_GE(InitValueCalls(), 1);
}

TEST_F(SettingsWindowTest, ChoicesMadeWhileTheVersionIsAskedSurviveTheAnswer) {
    Open();
    newestVersion = "1.1.0";
    fake.loop.duringAwait = [&] {
        // The page already shows the stored values when the user acts.
        EXPECT_EQ(Shown("selected_sound"), "0");
        EXPECT_EQ(Shown("new_version"), "1.0.2");
        Page()->UserSets("selected_sound", "3");
        Page()->UserSets("chk_preview", "0");
    };
    frm.RefreshSettings();
    EXPECT_EQ(versionQueries, 1);
    EXPECT_EQ(Shown("selected_sound"), "3");
    EXPECT_EQ(Shown("chk_preview"), "0");
    EXPECT_EQ(Shown("new_version"), "1.1.0");
}
