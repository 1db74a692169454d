// The settings page's own script on the real engine: the alert sound box
// switching the sound controls, the radio buttons choosing the sound, and
// the keys that must not end the window.
#include <gdk/gdk.h>
#include <webkit2/webkit2.h>

#include <memory>

#include "integration/HtmlWindowHarness.h"
#include "platform/linux/WebKitHtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"
#include "settings/CSettingFrm.h"

namespace {

// The value of a script expression as text; "<error>" when it threw.
std::string Eval(IHtmlWindow& window, const std::string& expression) {
    std::optional<std::string> result;
    webkit_web_view_evaluate_javascript(
        dynamic_cast<WebKitHtmlWindow&>(window).View(), ("String(" + expression + ")").c_str(), -1,
        nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* res, gpointer out) {
            JSCValue* value =
                webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), res, nullptr);
            auto* text = static_cast<std::optional<std::string>*>(out);
            if (!value) {
                *text = "<error>";
                return;
            }
            char* s = jsc_value_to_string(value);
            *text = s;
            g_free(s);
            g_object_unref(value);
        },
        &result);
    RunUntil([&] { return result.has_value(); });
    return result.value_or("<timeout>");
}

void Xdotool(const std::string& args) {
    const std::string command = "xdotool " + args;
    ASSERT_TRUE(g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, nullptr, nullptr));
}

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
        HtmlWindowSpec spec;
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

    // Clicks the middle of an element with the real pointer.
    void ClickOn(const std::string& id) {
        const std::string box = "document.getElementById('" + id + "').getBoundingClientRect()";
        const int x =
            std::stoi(Eval(*window, "Math.round(" + box + ".left + " + box + ".width / 2)"));
        const int y =
            std::stoi(Eval(*window, "Math.round(" + box + ".top + " + box + ".height / 2)"));
        const Rect at = window->GetRect();
        Xdotool("mousemove " + std::to_string(at.left + x) + " " + std::to_string(at.top + y) +
                " click 1");
    }
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
    EXPECT_EQ(Eval(*window, "document.querySelector('input[name=soundR]:checked').id"),
              "radio_sound_3");
    EXPECT_EQ(Eval(*window, "soundLength"), "5");
    EXPECT_EQ(Eval(*window, kSoundControlsEnabled), "ee ee ee ee ee");
    EXPECT_EQ(Eval(*window, "document.getElementById('soundbox').className"), "");
}

TEST_F(SettingsPageTest, UncheckingTheAlertSoundDisablesTheSoundControls) {
    Fill("0", true);
    ClickOn("chk_alert_sound");
    ASSERT_TRUE(Clicked("chk_alert_sound"));
    EXPECT_EQ(window->GetData("chk_alert_sound"), "0");
    EXPECT_EQ(Eval(*window, kSoundControlsEnabled), "dd dd dd dd dd");
    EXPECT_EQ(Eval(*window, "document.getElementById('soundbox').className"), "soundDim");
    // A disabled sample button reports nothing.
    events.elements.clear();
    ClickOn("button_sound_1");
    Call(*window, "setUseSound");
    EXPECT_TRUE(events.elements.empty());

    ClickOn("chk_alert_sound");
    ASSERT_TRUE(RunUntil([&] { return window->GetData("chk_alert_sound") == "1"; }));
    EXPECT_EQ(Eval(*window, kSoundControlsEnabled), "ee ee ee ee ee");
    EXPECT_EQ(Eval(*window, "document.getElementById('soundbox').className"), "");
}

TEST_F(SettingsPageTest, RadioButtonsAndTheirLabelsChooseTheSound) {
    Fill("0", true);
    const std::string selected = "document.getElementById('selected_sound').value";
    ClickOn("radio_sound_2");
    ASSERT_TRUE(Clicked("radio_sound_2"));
    EXPECT_TRUE(RunUntil([&] { return Eval(*window, selected) == "2"; }));
    ClickOn("sound_5");  // the label of the fifth sound
    EXPECT_TRUE(RunUntil([&] { return Eval(*window, selected) == "4"; }));
    EXPECT_EQ(Eval(*window, "document.getElementById('radio_sound_4').checked"), "true");
    // What Save reads when it is pressed.
    ClickOn("button_ok");
    ASSERT_TRUE(Clicked("button_ok"));
    EXPECT_EQ(window->GetData("selected_sound"), "4");
}

TEST_F(SettingsPageTest, AChoiceWithoutARowStillFollowsTheAlertSoundBox) {
    Fill("2", true);
    Fill("5", false);
    EXPECT_EQ(Eval(*window, kSoundControlsEnabled), "dd dd dd dd dd");
    EXPECT_EQ(Eval(*window, "document.getElementById('soundbox').className"), "soundDim");
}

TEST_F(SettingsPageTest, EnterActsAsSpaceAndEscapeDoesNothing) {
    Fill("0", true);
    window->SetData("chk_preview", "0");
    ClickOn("chk_preview");
    ASSERT_TRUE(RunUntil([&] { return window->GetData("chk_preview") == "1"; }));
    Xdotool("key Return");
    ASSERT_TRUE(RunUntil([&] {
        return Eval(*window, "document.getElementById('chk_preview').checked") == "false";
    }));
    Xdotool("key Escape");
    Xdotool("key Return");
    ASSERT_TRUE(RunUntil(
        [&] { return Eval(*window, "document.getElementById('chk_preview').checked") == "true"; }));
    EXPECT_TRUE(window->IsVisible());
    EXPECT_TRUE(events.keys.empty());

    // Enter on a focused button presses it, once.
    events.elements.clear();
    Eval(*window, "document.getElementById('button_sound_3').focus()");
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
