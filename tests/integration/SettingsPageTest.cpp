// The settings page's own script on the real engine: the alert sound box
// switching the sound controls, the radio buttons choosing the sound, and
// the keys that must not end the window.
#include <gdk/gdk.h>

#include <memory>

#include "integration/HtmlWindowHarness.h"
#include "integration/PageInput.h"
#include "platform/linux/WebKitHtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"
#include "settings/CSettingFrm.h"

namespace {

constexpr const char* kSoundControlsEnabled =
    "[0,1,2,3,4].map(function (i) {"
    "  return (document.getElementById('radio_sound_' + i).disabled ? 'd' : 'e') +"
    "         (document.getElementById('button_sound_' + i).disabled ? 'd' : 'e');"
    "}).join(' ')";

class SettingsPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { factory = new WebKitHtmlWindowFactory(""); }
    static void TearDownTestSuite() {
        delete factory;
        factory = nullptr;
    }

    void SetUp() override {
        HtmlWindowDescription spec;
        spec.resourceId = CSettingFrm::kPageId;
        spec.width = CSettingFrm::kWidth;
        spec.height = CSettingFrm::kHeight;
        spec.title = "Murmel";
        window = factory->Create(spec, &events);
        ASSERT_TRUE(RunUntil([&] { return events.TopLevelLoads() > 0; }));
        window->BindData("selected_sound", DataKind::InputValue);
        window->BindData("chk_alert_sound", DataKind::Checkbox);
        window->BindData("chk_preview", DataKind::Checkbox);
        window->Move(100, 100);
        window->Show();
        ASSERT_TRUE(RunUntil([&] { return window->IsVisible() && window->GetRect().left == 100; }));
    }

    void ClickOn(const std::string& id) { ClickElement(*window, id); }
    bool Clicked(const std::string& id) {
        return RunUntil([&] {
            for (const auto& e : events.elements)
                if (e == std::make_pair(id, ElementEvent::Click)) return true;
            return false;
        });
    }
    // Sets what the program would exchange to the page, then initValue.
    void Fill(const std::string& sound, bool alert) {
        window->SetData("selected_sound", sound);
        window->SetData("chk_alert_sound", alert ? "1" : "0");
        auto result = Call(*window, "initValue");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, ScriptResult::Status::Ok) << result->message;
    }

    static WebKitHtmlWindowFactory* factory;
    Recorder events;
    std::unique_ptr<IHtmlWindow> window;
};
WebKitHtmlWindowFactory* SettingsPageTest::factory = nullptr;

TEST_F(SettingsPageTest, InitValueChecksTheStoredSound) {
    Fill("3", true);
    EXPECT_EQ(EvalInPage(*window, "document.querySelector('input[name=soundR]:checked').id"),
              "radio_sound_3");
    EXPECT_EQ(EvalInPage(*window, "soundLength"), "5");
    EXPECT_EQ(EvalInPage(*window, kSoundControlsEnabled), "ee ee ee ee ee");
    EXPECT_EQ(EvalInPage(*window, "document.getElementById('soundbox').className"), "");
}

TEST_F(SettingsPageTest, UncheckingTheAlertSoundDisablesTheSoundControls) {
    Fill("0", true);
    ClickOn("chk_alert_sound");
    ASSERT_TRUE(Clicked("chk_alert_sound"));
    EXPECT_EQ(window->GetData("chk_alert_sound"), "0");
    EXPECT_EQ(EvalInPage(*window, kSoundControlsEnabled), "dd dd dd dd dd");
    EXPECT_EQ(EvalInPage(*window, "document.getElementById('soundbox').className"), "soundDim");
    // A disabled sample button reports nothing.
    events.elements.clear();
    ClickOn("button_sound_1");
    Call(*window, "setUseSound");
    EXPECT_TRUE(events.elements.empty());

    ClickOn("chk_alert_sound");
    ASSERT_TRUE(RunUntil([&] { return window->GetData("chk_alert_sound") == "1"; }));
    EXPECT_EQ(EvalInPage(*window, kSoundControlsEnabled), "ee ee ee ee ee");
    EXPECT_EQ(EvalInPage(*window, "document.getElementById('soundbox').className"), "");
}

TEST_F(SettingsPageTest, RadioButtonsAndTheirLabelsChooseTheSound) {
    Fill("0", true);
    const std::string selected = "document.getElementById('selected_sound').value";
    ClickOn("radio_sound_2");
    ASSERT_TRUE(Clicked("radio_sound_2"));
    EXPECT_TRUE(RunUntil([&] { return EvalInPage(*window, selected) == "2"; }));
    ClickOn("sound_5");  // the label of the fifth sound
    EXPECT_TRUE(RunUntil([&] { return EvalInPage(*window, selected) == "4"; }));
    EXPECT_EQ(EvalInPage(*window, "document.getElementById('radio_sound_4').checked"), "true");
    // What Save reads when it is pressed.
    ClickOn("button_ok");
    ASSERT_TRUE(Clicked("button_ok"));
    EXPECT_EQ(window->GetData("selected_sound"), "4");
}

TEST_F(SettingsPageTest, AChoiceWithoutARowStillFollowsTheAlertSoundBox) {
    Fill("2", true);
    Fill("5", false);
    EXPECT_EQ(EvalInPage(*window, kSoundControlsEnabled), "dd dd dd dd dd");
    EXPECT_EQ(EvalInPage(*window, "document.getElementById('soundbox').className"), "soundDim");
}

TEST_F(SettingsPageTest, EnterActsAsSpaceAndEscapeDoesNothing) {
    Fill("0", true);
    window->SetData("chk_preview", "0");
    ClickOn("chk_preview");
    ASSERT_TRUE(RunUntil([&] { return window->GetData("chk_preview") == "1"; }));
    Xdotool("key Return");
    ASSERT_TRUE(RunUntil([&] {
        return EvalInPage(*window, "document.getElementById('chk_preview').checked") == "false";
    }));
    Xdotool("key Escape");
    Xdotool("key Return");
    ASSERT_TRUE(RunUntil([&] {
        return EvalInPage(*window, "document.getElementById('chk_preview').checked") == "true";
    }));
    EXPECT_TRUE(window->IsVisible());
    EXPECT_TRUE(events.keys.empty());

    // Enter on a focused button presses it, once.
    events.elements.clear();
    EvalInPage(*window, "document.getElementById('button_sound_3').focus()");
    Xdotool("key Return");
    ASSERT_TRUE(Clicked("button_sound_3"));
    Call(*window, "setUseSound");
    EXPECT_EQ(events.elements.size(), 1u);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GtkEnvironment);
    return RUN_ALL_TESTS();
}
