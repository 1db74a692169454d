// The login page's own script on the real engine, driven by real clicks and
// keys on the X display.
#include <memory>
#include <string>

#include "integration/HtmlWindowHarness.h"
#include "platform/linux/WebKitHtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"

namespace {
constexpr int kLeft = 100, kTop = 120;

// type|class|value of a field.
std::string FieldExpr(const std::string& id) {
    return "(f => f.type + '|' + f.className + '|' + f.value)(document.getElementById('" + id +
           "'))";
}

// Which of the form, loading, e-mail error, password error and remember
// blocks the page has set to be shown, as 1 and 0.
const char* kBlocks =
    "['div_loginbox', 'div_login_load', 'div_invalid', 'div_password_invalid', "
    "'div_remember_email', 'div_error'].map(id => document.getElementById(id).style.display === "
    "'none' ? 0 "
    ": 1).join('')";

class LoginPageScriptTest : public SharedFactoryTest {
protected:
    void SetUp() override {
        HtmlWindowDescription spec;
        spec.width = 281;
        spec.height = 387;
        spec.title = "login page test";
        window = factory->Create(spec, &events);
        window->BindData("input_email", DataKind::InputValue);
        window->BindData("input_password", DataKind::InputValue);
        window->SetFocusHints("Email", "Password");
        window->Move(kLeft, kTop);
        window->Show();
        ASSERT_TRUE(LoadAndWait(*window, events, "res:///html/login.html"));
        ASSERT_TRUE(
            RunUntil([&] { return window->IsVisible() && window->GetRect().left == kLeft; }));
    }

    // Evaluates a script expression in the page and returns it as text.
    std::string Eval(const std::string& expr) {
        auto result = Call(*window, "eval", {expr});
        if (!result || result->status != ScriptResult::Status::Ok) {
            ADD_FAILURE() << expr << ": " << (result ? result->message : "no answer");
            return {};
        }
        return result->value;
    }
    bool WaitFor(const std::string& condition) {
        return RunUntil([&] { return Eval(condition) == "true"; });
    }
    std::string Field(const std::string& id) { return Eval(FieldExpr(id)); }

    void Status(const StringList& code) { ASSERT_TRUE(Call(*window, "showLoginStatus", code)); }

    // What the application does once the page has loaded, then the form.
    void WriteHintsAndShowForm() {
        window->SetData("input_email", "Email");
        window->SetData("input_password", "Password");
        Status({"0"});
    }

    // A real click at a point of the page, in page coordinates.
    void ClickAt(int x, int y) {
        Xdotool("mousemove " + std::to_string(kLeft + x) + " " + std::to_string(kTop + y) +
                " click 1");
    }
    void ClickOn(const std::string& id) {
        const std::string box = Eval(
            "(r => Math.round(r.left + r.width / 2) + ' ' + "
            "Math.round(r.top + r.height / 2))(document.getElementById('" +
            id + "').getBoundingClientRect())");
        const auto space = box.find(' ');
        ASSERT_NE(space, std::string::npos) << id;
        ClickAt(std::stoi(box.substr(0, space)), std::stoi(box.substr(space + 1)));
    }
    // Clicks into a field and waits until the page has handled the focus.
    void FocusField(const std::string& id) {
        ClickOn(id);
        ASSERT_TRUE(WaitFor("document.activeElement.id === '" + id + "'")) << id;
    }
    // Clicks the title, which takes no focus, so the field loses it.
    void LeaveFields() {
        ClickOn("main_title");
        ASSERT_TRUE(WaitFor("document.activeElement === document.body"));
    }
    // Types into the focused field and waits until the text has arrived,
    // so every key pressed before has been handled too.
    void Type(const std::string& text) {
        const std::string before = Eval("document.activeElement.value");
        Xdotool("type --delay 20 '" + text + "'");
        ASSERT_TRUE(WaitFor("document.activeElement.value === '" + before + text + "'"));
    }
    int Signins() const {
        int n = 0;
        for (const auto& call : events.calls) n += call.method == "Signin";
        return n;
    }

    Recorder events;
    std::unique_ptr<IHtmlWindow> window;
};

TEST_F(LoginPageScriptTest, PasswordFieldSwapsBetweenReadableHintAndMaskedEntry) {
    EXPECT_EQ(Eval(kBlocks), "010000");  // loading until the service is ready
    WriteHintsAndShowForm();
    EXPECT_EQ(Field("input_email"), "text|idDim|Email");
    EXPECT_EQ(Field("input_password"), "text|pwDim|Password");

    // The hint gives way to a new, masked field that has the focus.
    Eval("document.getElementById('input_password').dataset.first = 'yes'");
    FocusField("input_password");
    EXPECT_EQ(Field("input_password"), "password|pw|");
    EXPECT_EQ(Eval("document.getElementById('input_password').dataset.first"), "");
    EXPECT_EQ(Eval("document.querySelectorAll('#input_password').length"), "1");
    EXPECT_EQ(Eval("m_password"), "Password");

    LeaveFields();
    EXPECT_EQ(Field("input_password"), "text|pwDim|Password");

    FocusField("input_email");
    EXPECT_EQ(Field("input_email"), "text|id|");
    EXPECT_EQ(Eval("m_email"), "Email");
    LeaveFields();
    EXPECT_EQ(Field("input_email"), "text|idDim|Email");

    // Typed text stays, masked, after the field is left and entered again.
    FocusField("input_password");
    Type("abc");
    LeaveFields();
    EXPECT_EQ(Field("input_password"), "password|pw|abc");
    FocusField("input_password");
    EXPECT_EQ(Field("input_password"), "password|pw|abc");
}

TEST_F(LoginPageScriptTest, ValuesDifferingFromTheHintsOnlyInCaseAreInput) {
    window->SetData("input_email", "email");
    window->SetData("input_password", "password");
    Status({"0"});
    EXPECT_EQ(Eval("window.external.onFocus('password')"), "false");

    FocusField("input_email");
    EXPECT_EQ(Field("input_email"), "text|id|email");
    FocusField("input_password");
    EXPECT_EQ(Field("input_password"), "text|pwDim|password");  // no swap
    EXPECT_EQ(Eval("init_password"), "true");

    Xdotool("key Return");
    ASSERT_TRUE(RunUntil([&] { return Signins() == 1; }));
}

TEST_F(LoginPageScriptTest, EnterSignsInOnlyFromThePasswordFieldWithBothFieldsFilled) {
    WriteHintsAndShowForm();

    // The e-mail field still shows its hint.
    FocusField("input_password");
    Type("secret");
    Xdotool("key Return");
    Type("1");

    // Enter in the e-mail field never signs in.
    FocusField("input_email");
    Type("me@example.com");
    Xdotool("key Return");
    Type("2");
    EXPECT_EQ(Signins(), 0);

    FocusField("input_password");
    EXPECT_EQ(Field("input_password"), "password|pw|secret1");
    Xdotool("key Return");
    ASSERT_TRUE(RunUntil([&] { return Signins() == 1; }));
    EXPECT_TRUE(events.calls.back().args.empty());
    EXPECT_EQ(window->GetData("input_email"), "me@example.com2");
    EXPECT_EQ(window->GetData("input_password"), "secret1");
}

TEST_F(LoginPageScriptTest, OnlyTheCaptionOfTheSignInButtonReportsAClick) {
    window->SetData("input_email", "me@example.com");
    window->SetData("input_password", "secret");
    Status({"0"});
    // A point of the button left of its caption.
    const std::string x = Eval(
        "(a => Math.round(a.left + "
        "4))(document.getElementById('a_signin').getBoundingClientRect())");
    const std::string y = Eval(
        "(a => Math.round(a.top + a.height / 2))(document.getElementById('a_signin')."
        "getBoundingClientRect())");
    ASSERT_EQ(Eval("document.elementFromPoint(" + x + ", " + y + ").id"), "a_signin");
    ClickAt(std::stoi(x), std::stoi(y));
    ClickOn("span_signin");
    const auto clicks = [&] {
        StringList ids;
        for (const auto& [id, event] : events.elements)
            if (event == ElementEvent::Click) ids.push_back(id);
        return ids;
    };
    ASSERT_TRUE(RunUntil([&] { return clicks().size() >= 2; }));
    EXPECT_EQ(clicks(), (StringList{"a_signin", "span_signin"}));
    EXPECT_EQ(Signins(), 0);  // the application decides on the caption's click
}

TEST_F(LoginPageScriptTest, StatusCodesSwitchBlocksAndNeverShowErrorAndRememberTogether) {
    WriteHintsAndShowForm();
    FocusField("input_password");
    Type("wrong");
    LeaveFields();

    // A rejection puts the recorded hint back into the masked field, which
    // the next focus empties again.
    Status({"1"});
    EXPECT_EQ(Field("input_password"), "password|pw|wrong");
    Status({"2"});
    EXPECT_EQ(Field("input_password"), "password|pw|Password");
    FocusField("input_password");
    EXPECT_EQ(Field("input_password"), "password|pw|");

    // The e-mail message stays through "0"; the site's error "3" stays
    // through "9" and goes with any other status; no message shows together
    // with the remember line. Columns: form, loading,
    // e-mail error, password error, remember, site error.
    const std::pair<StringList, const char*> steps[] = {
        {{"0"}, "101000"}, {{"1"}, "010010"}, {{"2"}, "101000"}, {{"0"}, "101000"},
        {{"5"}, "100100"}, {{"4"}, "101000"}, {{"9"}, "100010"}, {{"5"}, "100100"},
        {{"1"}, "010010"}, {{"9"}, "010010"}, {{}, "100010"},    {{"1"}, "010010"},
        {{"7"}, "100010"}, {{"2"}, "101000"}, {{"3"}, "100001"}, {{"9"}, "100001"},
        {{"1"}, "010010"}, {{"3"}, "100001"}, {{"0"}, "100010"},
    };
    for (const auto& [code, blocks] : steps) {
        Status(code);
        EXPECT_EQ(Eval(kBlocks), blocks) << (code.empty() ? "(none)" : code[0]);
    }
}

TEST_F(LoginPageScriptTest, EmptyFieldsAreRefilledWithTheGivenTexts) {
    WriteHintsAndShowForm();
    FocusField("input_password");
    FocusField("input_email");
    Type("me@example.com");
    LeaveFields();

    window->SetData("input_password", "");
    ASSERT_TRUE(Call(*window, "UpdateData", {"Email", "Password"}));
    EXPECT_EQ(Field("input_email"), "text|id|me@example.com");
    EXPECT_EQ(Field("input_password"), "text|pwDim|Password");

    window->SetData("input_email", "null");
    window->SetData("input_password", "undefined");
    ASSERT_TRUE(Call(*window, "UpdateData", {"Mail", "Secret"}));
    EXPECT_EQ(Field("input_email"), "text|idDim|Mail");
    EXPECT_EQ(Field("input_password"), "text|pwDim|Secret");

    // A status refills with the texts recorded at the first focus.
    window->SetData("input_email", "");
    window->SetData("input_password", "");
    Status({"0"});
    EXPECT_EQ(Field("input_email"), "text|idDim|Email");
    EXPECT_EQ(Field("input_password"), "text|pwDim|Password");
}
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GtkEnvironment);
    return RUN_ALL_TESTS();
}
