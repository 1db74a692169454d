// The toasts on the real engine under a real X display: the stack that six
// messages build, a toast running out, presses on its body and close button.
#include <gdk/gdk.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <memory>

#include "controller/CMainDlg.h"
#include "fakes/FakePorts.h"
#include "integration/HtmlWindowHarness.h"
#include "notify/NotifyConfig.h"
#include "platform/Messages.h"
#include "platform/linux/GdkDesktop.h"
#include "platform/linux/GlibEventLoop.h"
#include "platform/linux/LocalClock.h"
#include "platform/linux/RecordingSound.h"
#include "platform/linux/WebKitHtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"

namespace {

std::string Artifact(const std::string& name) {
    std::filesystem::create_directories(MURMEL_TEST_ARTIFACTS);
    return std::string(MURMEL_TEST_ARTIFACTS) + "/" + name;
}

void Shell(const std::string& command) {
    gint status = -1;
    ASSERT_TRUE(g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, &status, nullptr));
    ASSERT_EQ(status, 0) << command;
}

// Lets the X server and the web process catch up.
void Settle(unsigned ms = 300) {
    bool done = false;
    g_timeout_add(
        ms,
        [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &done);
    RunUntil([&] { return done; });
}

GtkWindow* Native(IHtmlWindow* window) {
    return dynamic_cast<WebKitHtmlWindow&>(*window).Window();
}

// Where X has the window, or nothing while it is not mapped.
std::optional<Point> Placed(IHtmlWindow* window) {
    GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(Native(window)));
    if (!gdk || !gdk_window_is_viewable(gdk)) return std::nullopt;
    Point at;
    gdk_window_get_origin(gdk, &at.x, &at.y);
    return at;
}

// A text of the page, asked of the page itself.
std::string PageText(IHtmlWindow* window, const std::string& id) {
    const auto result =
        Call(*window, "eval", {"document.getElementById('" + id + "').textContent"});
    return result ? result->value : "(no answer)";
}

// The page's script has run, so its functions can be called.
bool PageReady(IHtmlWindow* window) {
    if (!window->HasDocument()) return false;
    const auto result = Call(*window, "eval", {"typeof setToast"});
    return result && result->value == "function";
}

std::string Message(int n) {
    const std::string i = std::to_string(n);
    return R"({"sender":"Sender )" + i + R"(","msg":"Message number )" + i +
           R"(\nsecond line","msgtype":0,"sessionid":"conv-)" + i + R"("})";
}

class ToastStackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { factory = new WebKitHtmlWindowFactory(""); }
    static void TearDownTestSuite() {
        delete factory;
        factory = nullptr;
    }
    static WebKitHtmlWindowFactory* factory;
};
WebKitHtmlWindowFactory* ToastStackTest::factory = nullptr;

// Records what the toast posts to the controller.
struct Controller : IMessageTarget {
    std::intptr_t OnMessage(unsigned msg, std::uintptr_t, std::intptr_t) override {
        received.push_back(msg);
        return 0;
    }
    std::vector<unsigned> received;
};

}  // namespace

TEST_F(ToastStackTest, SixMessagesFillTheStackAndMoveItDown) {
    // The toasts' own parts are real; the ports they never touch are fakes.
    FakePorts fake;
    GlibEventLoop loop;
    GdkDesktop desktop;
    LocalClock clock;
    RecordingSound sound(Artifact("toast-stack-sounds.log"));
    fake.network.online = false;
    AppSettings.webClientBaseUrl = "https://127.0.0.1:9";
    Ports ports{loop,
                *factory,
                fake.dialogs,
                fake.messageBox,
                fake.tray,
                fake.store,
                fake.profile,
                fake.module,
                sound,
                fake.shell,
                fake.network,
                fake.browser,
                clock,
                fake.language,
                desktop,
                fake.autostart,
                fake.notificationPolicy,
                fake.memory};
    CMainDlg dlg(ports);
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(RunUntil([&] {
        for (const CNotiHtmlDlg& toast : dlg.Toasts())
            if (!PageReady(toast.Window())) return false;
        return true;
    }));
    dlg.WebClientWindow().SetActiveForTest(false);

    for (int n = 1; n <= 6; ++n) {
        dlg.ScriptToApp(304, Message(n));
        Settle(50);
    }
    const Rect work = desktop.WorkArea();
    ASSERT_TRUE(RunUntil([&] {
        for (const CNotiHtmlDlg& toast : dlg.Toasts())
            if (!Placed(toast.Window())) return false;
        return true;
    }));
    Settle();
    for (int k = 0; k < ToastStack::kCount; ++k) {
        SCOPED_TRACE(k);
        IHtmlWindow* window = dlg.Toasts()[k].Window();
        EXPECT_EQ(Placed(window), (Point{work.right - 238, work.bottom - 71 * (k + 1) - 5}));
        GtkAllocation size;
        gtk_widget_get_allocation(GTK_WIDGET(Native(window)), &size);
        EXPECT_EQ(size.width, CNotiHtmlDlg::kWidth);
        EXPECT_EQ(size.height, CNotiHtmlDlg::kHeight);
        // Borderless, without a taskbar entry, a notification to the window manager.
        EXPECT_FALSE(gtk_window_get_decorated(Native(window)));
        EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(Native(window)));
        EXPECT_EQ(gtk_window_get_type_hint(Native(window)), GDK_WINDOW_TYPE_HINT_NOTIFICATION);
        // The first message was dropped; each slot shows the next one up.
        EXPECT_EQ(PageText(window, "sender"), "Sender " + std::to_string(k + 2));
        EXPECT_EQ(PageText(window, "send_msg"), "Message number " + std::to_string(k + 2));
    }
    EXPECT_EQ(dlg.Toasts().LastSessionId(), "conv-6");
    const Point top = *Placed(dlg.Toasts()[4].Window());
    Shell("import -window root -crop 228x355+" + std::to_string(top.x) + "+" +
          std::to_string(top.y) + " " + Artifact("toast-stack.png"));
}

TEST_F(ToastStackTest, AToastRunsOutAndAnswersPressesAndKeys) {
    GlibEventLoop loop;
    LocalClock clock;
    Controller controller;
    const WindowHandle main = loop.Register(&controller);
    CNotiHtmlDlg toast;
    toast.Create(*factory, loop, clock, main);
    toast.PlaceAt(600, 300);
    ASSERT_TRUE(RunUntil([&] { return PageReady(toast.Window()); }));
    ASSERT_TRUE(toast.FillToast(
        R"({"sender":"Alexandra Lindqvist-Okonkwo <i>x</i>","msg":"Shall we move the review to Thursday afternoon?","msgtype":0})"));
    const auto show = [&] {
        toast.FillToast(
            R"({"sender":"Alexandra Lindqvist-Okonkwo <i>x</i>","msg":"Shall we move the review to Thursday afternoon?","msgtype":0})");
        toast.ShowToast();
        ASSERT_TRUE(RunUntil([&] { return Placed(toast.Window()).has_value(); }));
        Settle();
    };

    toast.m_showPeriodMs = 60000;
    show();
    EXPECT_EQ(PageText(toast.Window(), "sender"), "Alexandra Lindqvist-Okonkwo <i>x</i>");
    const auto title =
        Call(*toast.Window(), "eval", {"document.getElementById('div_close').title"});
    EXPECT_EQ(title ? title->value : "", "Close");
    Shell("import -window root -crop 228x66+600+300 " + Artifact("toast-single.png"));

    // A press on the body, on the text or on the empty time column opens.
    for (const char* at : {"700 345", "660 321", "790 320", "785 338", "610 305", "700 362"}) {
        SCOPED_TRACE(at);
        controller.received.clear();
        show();
        Shell(std::string("xdotool mousemove ") + at + " click 1");
        ASSERT_TRUE(RunUntil([&] { return controller.received.size() == 2; }));
        EXPECT_EQ(controller.received, (std::vector<unsigned>{UWM_TOAST_OPEN, UWM_TOAST_CLOSED}));
        EXPECT_FALSE(RunUntil([&] { return Placed(toast.Window()).has_value(); }, 200));
        EXPECT_TRUE(toast.m_eventData.empty());
    }

    // The close button closes without opening.
    controller.received.clear();
    show();
    Shell("xdotool mousemove 815 312 click 1");
    ASSERT_TRUE(RunUntil([&] { return !controller.received.empty(); }));
    Settle();
    EXPECT_EQ(controller.received, std::vector<unsigned>{UWM_TOAST_CLOSED});
    EXPECT_FALSE(Placed(toast.Window()).has_value());

    // Shortened for the test: the toast hides on its own and posts nothing.
    controller.received.clear();
    toast.m_showPeriodMs = 400;
    show();
    EXPECT_TRUE(RunUntil([&] { return !Placed(toast.Window()).has_value(); }, 5000));
    EXPECT_TRUE(toast.m_eventData.empty());
    EXPECT_TRUE(controller.received.empty());
}

TEST_F(ToastStackTest, EveryFillReplacesTheWholeToast) {
    GlibEventLoop loop;
    LocalClock clock;
    Controller controller;
    CNotiHtmlDlg toast;
    toast.Create(*factory, loop, clock, loop.Register(&controller));
    ASSERT_TRUE(RunUntil([&] { return PageReady(toast.Window()); }));
    const std::string bad = "\xEF\xBF\xBD";
    const struct {
        const char* data;
        std::string sender, text;
    } cases[] = {
        {R"({"sender":"Bo \udc00","msg":"Second","msgtype":0})", "Bo " + bad, "Second"},
        {R"({"sender":"Cy","msg":"Third \ud83d!","msgtype":0})", "Cy", "Third " + bad + "!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        ASSERT_TRUE(toast.FillToast(R"({"sender":"Al","msg":"First","msgtype":0})"));
        ASSERT_TRUE(RunUntil([&] { return PageText(toast.Window(), "sender") == "Al"; }));
        ASSERT_TRUE(toast.FillToast(c.data));
        // The calls run in order: once the text is there, so is the sender.
        ASSERT_TRUE(RunUntil([&] { return PageText(toast.Window(), "send_msg") == c.text; }));
        EXPECT_EQ(PageText(toast.Window(), "sender"), c.sender);
    }
    // The texts change in place; a span left without its text gets it back.
    const auto refilled =
        Call(*toast.Window(), "eval",
             {"document.getElementById('sender').textContent = ''; setSender('Di'); "
              "document.getElementById('sender').childNodes.length + ':' + "
              "document.getElementById('sender').textContent"});
    EXPECT_EQ(refilled ? refilled->value : "", "1:Di");
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GtkEnvironment);
    return RUN_ALL_TESTS();
}
