// HTML windows on the real engine under a real X display.
#include <gdk/gdk.h>
#include <glib/gstdio.h>
#include <json/json.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include <memory>
#include <sstream>

#include "desktop/CWebPage.h"
#include "desktop/CrashLoopGuard.h"
#include "integration/HtmlWindowHarness.h"
#include "platform/linux/ResScheme.h"
#include "platform/linux/WebKitHtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"

// Last: its X11 macros would clash with the headers above, and Status
// with the script results' below.
#include <gdk/gdkx.h>
#undef Status

namespace {
const char* kPage = "res:///html/test/page.html";

class HtmlWindowTest : public SharedFactoryTest {
protected:
    void SetUp() override {
        HtmlWindowDescription spec;
        spec.width = 400;
        spec.height = 300;
        spec.title = "html window test";
        window = factory->Create(spec, &events);
        ASSERT_TRUE(LoadAndWait(*window, events, kPage));
    }

    WebKitHtmlWindow& Native() { return dynamic_cast<WebKitHtmlWindow&>(*window); }

    void SendKey(guint keyval, GdkModifierType state = GdkModifierType(0)) {
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window =
            GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(Native().Window()))));
        event->key.keyval = keyval;
        event->key.state = state;
        event->key.time = GDK_CURRENT_TIME;
        GdkKeymapKey* found = nullptr;
        gint count = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                              keyval, &found, &count) &&
            count > 0) {
            event->key.hardware_keycode = found[0].keycode;
            g_free(found);
        }
        gdk_event_set_device(
            event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }

    Recorder events;
    std::unique_ptr<IHtmlWindow> window;
};

TEST(ResSchemeTest, NumberedReferencesAndPathsNameEmbeddedFiles) {
    EXPECT_EQ(ResourcePathOfUri("res:/CSS/#156"), "/murmel/css/murmel.css");
    EXPECT_EQ(ResourcePathOfUri("RES:/HTML/#104"), "/murmel/html/empty.html");
    EXPECT_EQ(ResourcePathOfUri("res:///html/login.html"), "/murmel/html/login.html");
    EXPECT_EQ(ResourcePathOfUri("res:///html/a%20b.html?x=1#top"), "/murmel/html/a b.html");
    EXPECT_EQ(ResourcePathOfUri("res:/IMG/#99999"), "");
    EXPECT_EQ(ResourcePathOfUri("https://127.0.0.1/#156"), "");
    EXPECT_EQ(ResourceUri(104), "res:///html/empty.html");
}

TEST_F(HtmlWindowTest, PageObjectCallsFunctionsWithArgumentsInOrder) {
    CWebPage page;
    std::optional<ScriptResult> result;
    const auto keep = [&](const ScriptResult& r) { result = r; };

    EXPECT_FALSE(page.InvokeScript("record", keep));
    EXPECT_EQ(page.LastError(), "JSCall Error:\nCannot GetScript");

    ASSERT_TRUE(page.BindDocument(window.get()));
    ASSERT_TRUE(page.InvokeScript("record", keep));
    ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->status, ScriptResult::Status::Ok) << result->message;
    EXPECT_EQ(result->value, "[]");

    result.reset();
    EXPECT_FALSE(page.BindDocument(nullptr));
    ASSERT_TRUE(page.InvokeScript("record", "a", "b", keep));  // the old binding holds
    ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->value, R"(["a","b"])");

    result.reset();
    ASSERT_TRUE(page.InvokeScript("record", "", keep));
    ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->value, R"([""])");
}

TEST_F(HtmlWindowTest, TextThatIsNotUtf8StillReachesThePage) {
    const std::string bad = "\xEF\xBF\xBD";
    // Straight to the window, and as data written into the page.
    auto result = Call(*window, "record", {"Bo \xED\xB0\x80", "ok"});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, ScriptResult::Status::Ok) << result->message;
    EXPECT_EQ(result->value, "[\"Bo " + bad + bad + bad + "\",\"ok\"]");
    window->BindData("label", DataKind::InnerText);
    window->SetData("label", "x\xC3");
    EXPECT_EQ(Call(*window, "fieldValue", {"label"})->value, "x" + bad);

    // From the page: half a character loses neither the call nor the rest.
    ASSERT_TRUE(Call(*window, "reportHalves"));
    ASSERT_TRUE(RunUntil([&] { return !events.calls.empty(); }));
    EXPECT_EQ(events.calls[0].args, (StringList{"a" + bad, bad + "b"}));
}

TEST_F(HtmlWindowTest, ArgumentsArriveAsTheyWereAndRunNothing) {
    // Arguments travel inside the script the engine runs: none may end its
    // string, its call or the script, nor run as code.
    const StringList args{"it's \"quoted\"",
                          "back\\slash\\",
                          "line\nbreak\r\u2028\u2029",
                          "');thrower();('",
                          "\"})();thrower();//",
                          "</script><b>",
                          "${thrower()}`",
                          ""};
    auto result = Call(*window, "record", args);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, ScriptResult::Status::Ok) << result->message;
    Json::Value echoed;
    std::istringstream in(result->value);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &echoed, nullptr));
    ASSERT_EQ(echoed.size(), args.size());
    for (Json::ArrayIndex i = 0; i < echoed.size(); ++i) EXPECT_EQ(echoed[i].asString(), args[i]);
    // A value that is not text comes back as text; none at all, as empty.
    EXPECT_EQ(Call(*window, "eval", {"[1, 2]"})->value, "1,2");
    EXPECT_EQ(Call(*window, "eval", {"undefined"})->value, "");
}

TEST_F(HtmlWindowTest, PageObjectRecordsMissingAndThrowingFunctions) {
    CWebPage page;
    ASSERT_TRUE(page.BindDocument(window.get()));
    std::optional<ScriptResult> result;
    page.InvokeScript("noSuchFunction", [&](const ScriptResult& r) { result = r; });
    ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->status, ScriptResult::Status::NotFound);
    EXPECT_EQ(page.LastError(), "JSCall Error:\nUnknown name.\n");

    result.reset();
    page.InvokeScript("thrower", [&](const ScriptResult& r) { result = r; });
    ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->status, ScriptResult::Status::Threw);
    EXPECT_NE(result->message.find("boom"), std::string::npos);
    EXPECT_EQ(page.LastError(), "JSCall Error:\nException occurred.\n");
}

TEST_F(HtmlWindowTest, CallBeforeAnyDocumentReportsNoDocument) {
    Recorder fresh;
    auto empty = factory->Create(HtmlWindowDescription{}, &fresh);
    EXPECT_FALSE(empty->HasDocument());
    auto result = Call(*empty, "record");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, ScriptResult::Status::NoDocument);
    std::optional<bool> clicked;
    empty->FillForm({"a"}, {"b"}, "c", [&](bool c) { clicked = c; });
    ASSERT_TRUE(RunUntil([&] { return clicked.has_value(); }));
    EXPECT_FALSE(*clicked);
}

TEST_F(HtmlWindowTest, FramesReportTheirOwnDocumentComplete) {
    EXPECT_TRUE(window->HasDocument());
    EXPECT_TRUE(RunUntil([&] {
        for (const auto& [url, top] : events.documents)
            if (!top && url.find("#104") != std::string::npos) return true;
        return false;
    }));
    EXPECT_EQ(events.TopLevelLoads(), 1);
    EXPECT_EQ(events.documents.back(), std::make_pair(std::string(kPage), true));
}

TEST_F(HtmlWindowTest, ElementEventsReachOnlyTheElementCarryingTheId) {
    ASSERT_TRUE(Call(*window, "clickOn", {".bare"}));   // child without id: nothing
    ASSERT_TRUE(Call(*window, "clickOn", {"#inner"}));  // child with id: only itself
    ASSERT_TRUE(Call(*window, "clickOn", {"#outer"}));
    ASSERT_TRUE(Call(*window, "pressOn", {"outer"}));
    ASSERT_TRUE(RunUntil([&] { return events.elements.size() >= 3; }));
    ASSERT_EQ(events.elements.size(), 3u);
    EXPECT_EQ(events.elements[0], std::make_pair(std::string("inner"), ElementEvent::Click));
    EXPECT_EQ(events.elements[1], std::make_pair(std::string("outer"), ElementEvent::Click));
    EXPECT_EQ(events.elements[2], std::make_pair(std::string("outer"), ElementEvent::MouseDown));
}

TEST_F(HtmlWindowTest, DataTravelsBothWays) {
    window->BindData("field", DataKind::InputValue);
    window->BindData("label", DataKind::InnerText);
    window->BindData("check", DataKind::Checkbox);

    window->SetData("field", "written");
    window->SetData("label", "new label");
    EXPECT_EQ(window->GetData("field"), "written");  // at once, before the page answers
    auto field = Call(*window, "fieldValue", {"field"});
    ASSERT_TRUE(field);
    EXPECT_EQ(field->value, "written");
    EXPECT_EQ(Call(*window, "fieldValue", {"label"})->value, "new label");

    // The page's own changes are current when its call arrives.
    std::string seen;
    events.onCall = [&](const Recorder::Call&) { seen = window->GetData("field"); };
    ASSERT_TRUE(Call(*window, "typeAndReport", {"typed"}));
    ASSERT_TRUE(RunUntil([&] { return !events.calls.empty(); }));
    EXPECT_EQ(seen, "typed");
    ASSERT_EQ(events.calls.size(), 1u);
    EXPECT_EQ(events.calls[0].method, "ScriptToApp");
    EXPECT_EQ(events.calls[0].args,
              (StringList{"304", "typed", "", "", "true", R"({"sender":"x"})"}));

    ASSERT_TRUE(Call(*window, "clickOn", {"#check"}));
    ASSERT_TRUE(RunUntil([&] { return !events.elements.empty(); }));
    EXPECT_EQ(window->GetData("check"), "1");
    window->SetData("check", "0");
    EXPECT_EQ(Call(*window, "fieldValue", {"check"})->value, "false");
}

TEST_F(HtmlWindowTest, ValuesReadBeforeAWriteReachedThePageDoNotUndoIt) {
    window->BindData("field", DataKind::InputValue);
    std::string atSecond;
    events.onCall = [&](const Recorder::Call& call) {
        if (call.args[0] == "1") window->SetData("field", "written");
        if (call.args[0] == "2") atSecond = window->GetData("field");
    };
    ASSERT_TRUE(Call(*window, "twoReports", {"typed"}));  // both calls read "typed"
    ASSERT_TRUE(RunUntil([&] { return events.calls.size() == 2; }));
    EXPECT_EQ(atSecond, "written");
    EXPECT_EQ(Call(*window, "fieldValue", {"field"})->value, "written");
    ASSERT_TRUE(Call(*window, "typeAndReport", {"typed again"}));  // later reads count again
    ASSERT_TRUE(RunUntil([&] { return events.calls.size() == 3; }));
    EXPECT_EQ(window->GetData("field"), "typed again");
}

TEST_F(HtmlWindowTest, FormIsFilledByInputNamesUntilTheSubmitInputIsClicked) {
    ASSERT_TRUE(LoadAndWait(*window, events, "res:///html/test/form.html"));
    const StringList names{"svcIptLgnID", "svcIptLgnPD"};
    const StringList values{"me@example.com", "secret"};
    std::optional<bool> clicked;
    window->FillForm(names, values, "signin_submit", [&](bool c) { clicked = c; });
    ASSERT_TRUE(RunUntil([&] { return clicked.has_value(); }));
    EXPECT_TRUE(*clicked);
    // The textarea is no input and the input after the submit is never reached.
    EXPECT_EQ(Call(*window, "formState")->value, "me@example.com|untouched|secret|other|after|1");

    ASSERT_TRUE(Call(*window, "dropSubmit"));
    clicked.reset();
    window->FillForm(names, {"you@example.com", "other secret"}, "signin_submit",
                     [&](bool c) { clicked = c; });
    ASSERT_TRUE(RunUntil([&] { return clicked.has_value(); }));
    EXPECT_FALSE(*clicked);
    EXPECT_EQ(Call(*window, "formState")->value,
              "you@example.com|untouched|other secret|other|you@example.com|1");
}

TEST_F(HtmlWindowTest, FocusHintsAnswerInsideThePage) {
    EXPECT_EQ(Call(*window, "focusAnswers", {"Email"})->value, "false||");
    window->SetFocusHints("Email", "Password");
    EXPECT_EQ(Call(*window, "focusAnswers", {"Email"})->value, "true|Email|Password");
    EXPECT_EQ(Call(*window, "focusAnswers", {"email"})->value, "false|Email|Password");
    // Later documents get the hints from the start.
    ASSERT_TRUE(LoadAndWait(*window, events, kPage));
    EXPECT_EQ(Call(*window, "focusAnswers", {"Password"})->value, "true|Email|Password");
}

TEST_F(HtmlWindowTest, KeyFilterSwallowsReloadAndCommandKeys) {
    window->Show();
    ASSERT_TRUE(RunUntil([&] { return gtk_widget_get_mapped(GTK_WIDGET(Native().Window())); }));
    const int loads = events.TopLevelLoads();
    SendKey(GDK_KEY_F5);
    SendKey(GDK_KEY_n, GDK_CONTROL_MASK);
    SendKey(GDK_KEY_P, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    SendKey(GDK_KEY_a);
    SendKey(GDK_KEY_Escape);
    ASSERT_TRUE(RunUntil([&] {
        auto seen = Call(*window, "keysSeen");
        return seen && seen->value == "a,Escape";
    })) << Call(*window, "keysSeen")->value;
    EXPECT_EQ(events.TopLevelLoads(), loads);
    EXPECT_EQ(events.keys, (std::vector<unsigned>{GDK_KEY_Escape}));
}

TEST_F(HtmlWindowTest, WindowStaysUnmappedUntilShownAndNeverCloses) {
    GtkWidget* native = GTK_WIDGET(Native().Window());
    EXPECT_FALSE(gtk_widget_get_mapped(native));
    EXPECT_FALSE(window->IsVisible());
    window->SetForeground();
    EXPECT_FALSE(window->IsVisible());

    window->Move(100, 120);
    window->SetRoundedRegion(40, 40);
    window->Show();
    ASSERT_TRUE(RunUntil([&] { return gtk_widget_get_mapped(native); }));
    ASSERT_TRUE(RunUntil([&] { return window->GetRect().left == 100; }));
    EXPECT_EQ(window->GetRect(), (Rect{100, 120, 500, 420}));

    GdkEvent* close = gdk_event_new(GDK_DELETE);
    close->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(native)));
    gtk_main_do_event(close);
    gdk_event_free(close);
    EXPECT_EQ(events.closeRequests, 1);
    EXPECT_TRUE(window->IsVisible());

    // Let the page paint, then keep a picture of the shaped window.
    Call(*window, "record");
    bool painted = false;
    g_timeout_add(
        500,
        [](gpointer p) -> gboolean {
            *static_cast<bool*>(p) = true;
            return G_SOURCE_REMOVE;
        },
        &painted);
    RunUntil([&] { return painted; });
    g_mkdir_with_parents(MURMEL_TEST_ARTIFACTS, 0755);
    GdkWindow* root = gdk_get_default_root_window();
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root),
                                                 gdk_window_get_height(root));
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(
        gdk_pixbuf_save(shot, MURMEL_TEST_ARTIFACTS "/html-window.png", "png", nullptr, nullptr));
    // The rounded corner shows the root window, the inside shows the page.
    guchar* pixels = gdk_pixbuf_get_pixels(shot);
    const int stride = gdk_pixbuf_get_rowstride(shot), channels = gdk_pixbuf_get_n_channels(shot);
    auto blue = [&](int x, int y) { return pixels[y * stride + x * channels + 2]; };
    EXPECT_GT(blue(300, 400), 150);  // page background #2c6fb7
    EXPECT_LT(blue(101, 121), 100);  // cut away
    g_object_unref(shot);

    window->Hide();
    EXPECT_FALSE(window->IsVisible());
}

TEST_F(HtmlWindowTest, WindowIsPlacedSizedAndRefusesDrops) {
    window->Show();
    GtkWidget* native = GTK_WIDGET(Native().Window());
    ASSERT_TRUE(RunUntil([&] { return gtk_widget_get_mapped(native); }));
    EXPECT_TRUE(RunUntil([&] { return window->IsActive(); }));
    EXPECT_EQ(events.activations, std::vector<bool>{true});

    // A toast appears without taking the focus.
    HtmlWindowDescription toastSpec;
    toastSpec.width = 228;
    toastSpec.height = 66;
    toastSpec.taskbar = false;
    toastSpec.notification = true;
    toastSpec.topmost = true;
    Recorder toastEvents;
    auto toast = factory->Create(toastSpec, &toastEvents);
    toast->ShowNoActivate();
    ASSERT_TRUE(RunUntil([&] { return toast->IsVisible() && toast->GetRect().Width() == 228; }));
    ASSERT_TRUE(Call(*window, "record"));
    EXPECT_TRUE(window->IsActive());
    EXPECT_FALSE(toast->IsActive());
    EXPECT_EQ(gtk_drag_dest_get_target_list(GTK_WIDGET(Native().View())), nullptr);

    window->Center();  // on the 1280 x 800 screen
    ASSERT_TRUE(RunUntil([&] { return window->GetRect().left == 440; }));
    EXPECT_EQ(window->GetRect(), (Rect{440, 250, 840, 550}));

    window->Resize(228, 66);
    window->Move(1042, 729);
    ASSERT_TRUE(RunUntil([&] {
        return window->GetRect() == Rect{1042, 729, 1270, 795};
    })) << window->GetRect().Width()
        << "x" << window->GetRect().Height();

    window->Enable(false);
    EXPECT_FALSE(window->IsEnabled());
    window->Enable(true);
    EXPECT_TRUE(window->IsEnabled());
}
// Web processes started by this test program.
std::vector<int> WebProcesses() {
    std::vector<int> found;
    GDir* dir = g_dir_open("/proc", 0, nullptr);
    while (const char* name = g_dir_read_name(dir)) {
        gchar* text = nullptr;
        const std::string stat = std::string("/proc/") + name + "/stat";
        if (!g_ascii_isdigit(name[0]) ||
            !g_file_get_contents(stat.c_str(), &text, nullptr, nullptr))
            continue;
        const std::string line = text;
        g_free(text);
        const auto close = line.rfind(')');
        const int parent = std::atoi(line.c_str() + close + 4);
        const bool zombie = line.compare(close + 2, 1, "Z") == 0;
        if (parent == getpid() && !zombie && line.find("(WebKitWebProces") != std::string::npos)
            found.push_back(std::atoi(name));
    }
    g_dir_close(dir);
    return found;
}

TEST_F(HtmlWindowTest, OwnPagesShareOneWebProcessThatComesBackAfterACrash) {
    Recorder secondEvents, clientEvents;
    auto second = factory->Create(HtmlWindowDescription{}, &secondEvents);
    ASSERT_TRUE(LoadAndWait(*second, secondEvents, kPage));
    const auto shared = WebProcesses();
    ASSERT_EQ(shared.size(), 1u);

    HtmlWindowDescription clientSpec;
    clientSpec.ownWebProcess = true;
    auto client = factory->Create(clientSpec, &clientEvents);
    ASSERT_TRUE(LoadAndWait(*client, clientEvents, kPage));
    EXPECT_EQ(WebProcesses().size(), 2u);

    // A crashed process is replaced and both own pages load again.
    const int loads = events.TopLevelLoads(), secondLoads = secondEvents.TopLevelLoads();
    kill(shared[0], SIGKILL);
    EXPECT_TRUE(RunUntil([&] {
        return events.TopLevelLoads() > loads && secondEvents.TopLevelLoads() > secondLoads;
    }));
    EXPECT_EQ(Call(*window, "record", {"back"})->value, R"(["back"])");
}

TEST_F(HtmlWindowTest, AProcessThatKeepsDyingIsNotStartedAgainUntilAPageNeedsIt) {
    // Those killed, or left by the tests before, may still be on their way out.
    std::vector<int> gone;
    const auto live = [&] {
        std::vector<int> found;
        for (int pid : WebProcesses())
            if (std::find(gone.begin(), gone.end(), pid) == gone.end()) found.push_back(pid);
        return found;
    };
    int loads = events.TopLevelLoads();
    for (int death = 1; death <= CrashLoopGuard::kGiveUpAt; ++death) {
        // Killed once the page is back: a process killed while it starts
        // takes the engine in this process down with it.
        ASSERT_TRUE(RunUntil([&] { return death == 1 || events.TopLevelLoads() > loads; }));
        ASSERT_TRUE(RunUntil([&] { return live().size() == 1; }));
        const int shared = live()[0];
        loads = events.TopLevelLoads();
        gone.push_back(shared);
        kill(shared, SIGKILL);
        ASSERT_TRUE(RunUntil([&] { return events.lost.size() == std::size_t(death); }));
    }
    EXPECT_EQ(events.lost, (std::vector<bool>{true, true, false}));
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_TRUE(live().empty());

    Recorder laterEvents;
    auto later = factory->Create(HtmlWindowDescription{}, &laterEvents);
    ASSERT_TRUE(LoadAndWait(*later, laterEvents, kPage));
    EXPECT_EQ(live().size(), 1u);
}

TEST_F(HtmlWindowTest, LocalFilesAreRefusedAndResourcesLoadById) {
    const int loads = events.TopLevelLoads();
    // A dropped file arrives as such a navigation.
    window->Navigate("file:///etc/hostname", "");
    EXPECT_FALSE(RunUntil([&] { return events.TopLevelLoads() > loads; }, 3000));
    EXPECT_EQ(Call(*window, "fieldValue", {"label"})->value, "label text");  // same page

    window->LoadResource(104);
    ASSERT_TRUE(RunUntil([&] { return events.TopLevelLoads() > loads; }));
    EXPECT_EQ(events.documents.back(), std::make_pair(std::string("res:///html/empty.html"), true));
}

// The window's drag holds the pointer until it has seen the release; until
// then, another client cannot take it.
bool DragIsOver() {
    gdk_display_sync(gdk_display_get_default());
    Display* other = XOpenDisplay(nullptr);
    if (!other) return false;
    const bool free =
        XGrabPointer(other, DefaultRootWindow(other), False, ButtonPressMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    XCloseDisplay(other);
    return free;
}

TEST_F(HtmlWindowTest, PressOnADragHandleMovesTheWindow) {
    window->SetDragHandles({"drag_bar"});
    window->Move(100, 120);
    window->Show();
    ASSERT_TRUE(RunUntil([&] { return window->GetRect().left == 100 && window->IsVisible(); }));
    window->Move(100, 120);  // asked again while shown: a place the window knows it holds
    // Presses as `press` says, waits until the page saw the press on `id`,
    // then moves as `move` says; the page's answer to a call marks the end.
    const auto pressThenMove = [&](const std::string& press, const std::string& id,
                                   const std::string& move) {
        events.elements.clear();
        Xdotool(press);
        EXPECT_TRUE(RunUntil([&] {
            for (const auto& e : events.elements)
                if (e == std::make_pair(id, ElementEvent::MouseDown)) return true;
            return false;
        }));
        Call(*window, "record");
        Xdotool(move);
        Call(*window, "record");
    };

    // The logo sits on the bar but carries its own id: no move.
    pressThenMove("mousemove 115 137 mousedown 1", "logo", "mousemove 175 177 mouseup 1");
    EXPECT_EQ(window->GetRect().left, 100);

    // A click on the bar that is over before the page reports it: no move.
    pressThenMove("mousemove 400 137 click 1", "drag_bar", "mousemove 460 177");
    EXPECT_EQ(window->GetRect().left, 100);

    pressThenMove("mousemove 400 137 mousedown 1", "drag_bar", "mousemove 460 177");
    EXPECT_TRUE(RunUntil([&] { return window->GetRect().left == 160; }));
    EXPECT_EQ(window->GetRect().top, 160);
    Xdotool("mouseup 1");
    ASSERT_TRUE(RunUntil(DragIsOver));

    // The drag moved it since: sent back to the place it was last asked
    // for, it goes.
    window->Move(100, 120);
    EXPECT_TRUE(RunUntil([&] { return window->GetRect().left == 100; }));
}
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GtkEnvironment);
    return RUN_ALL_TESTS();
}
