// GtkMessageBox under Xvfb, answered with real key presses.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <json/json.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "platform/linux/GtkMessageBox.h"

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)); }

    // Shows a box that is answered with key once open, while a timer ticks.
    MessageBoxAnswer Answer(MessageBoxButtons buttons, MessageBoxIcon icon,
                            const std::string& key) {
        m_seenText.clear();
        m_ticksWhenOpen = 0;
        TickCounter timer;
        WhenWindowOpen(GTK_TYPE_MESSAGE_DIALOG, "Murmel Alarm", [&](GtkWindow* box) {
            gchar* text = nullptr;
            g_object_get(box, "text", &text, nullptr);
            m_seenText = text ? text : "";
            g_free(text);
            m_modal = gtk_window_get_modal(box);
            m_ticksWhenOpen = timer.Ticks();
            PressKey(key);
        });
        GtkMessageBox box;
        MessageBoxAnswer answer = box.Show(m_text, "Murmel Alarm", buttons, icon);
        return answer;
    }

    std::string m_text = "Do you want to sign out?";
    std::string m_seenText;
    bool m_modal = false;
    int m_ticksWhenOpen = 0;
};

TEST_F(MessageBoxTest, EnterChoosesTheAffirmativeButton) {
    EXPECT_EQ(Answer(MessageBoxButtons::YesNo, MessageBoxIcon::None, "Return"),
              MessageBoxAnswer::Yes);
    EXPECT_EQ(m_seenText, "Do you want to sign out?");
    EXPECT_FALSE(m_modal);  // no owner: it blocks nothing
    EXPECT_EQ(Answer(MessageBoxButtons::OkCancel, MessageBoxIcon::Warning, "Return"),
              MessageBoxAnswer::Ok);
    EXPECT_EQ(Answer(MessageBoxButtons::Ok, MessageBoxIcon::Information, "Return"),
              MessageBoxAnswer::Ok);
}

TEST_F(MessageBoxTest, EscapeCountsAsTheNegativeAnswer) {
    EXPECT_EQ(Answer(MessageBoxButtons::YesNo, MessageBoxIcon::Question, "Escape"),
              MessageBoxAnswer::No);
    EXPECT_EQ(Answer(MessageBoxButtons::OkCancel, MessageBoxIcon::Error, "Escape"),
              MessageBoxAnswer::Cancel);
    EXPECT_EQ(Answer(MessageBoxButtons::Ok, MessageBoxIcon::None, "Escape"), MessageBoxAnswer::Ok);
}

TEST_F(MessageBoxTest, TheLoopKeepsRunningWhileTheBoxIsOpen) {
    // The answer waits for the box to be on screen, so a timer that fired until
    // then fired inside Show.
    Answer(MessageBoxButtons::YesNo, MessageBoxIcon::None, "Escape");
    EXPECT_GT(m_ticksWhenOpen, 0);
    EXPECT_EQ(FindVisibleWindow(GTK_TYPE_MESSAGE_DIALOG, "Murmel Alarm"), nullptr);
}

TEST_F(MessageBoxTest, EachBoxIsNotedInTheMessageLogWhenAsked) {
    const std::string log = ::testing::TempDir() + "message-log.jsonl";
    std::remove(log.c_str());
    setenv("MURMEL_MESSAGE_LOG", log.c_str(), 1);
    const std::vector<std::string> texts = {"Sever error.\nPlease try again later.",
                                            "Quote \" and back\\slash", "Fehler \xC3\xA4"};
    for (const std::string& text : texts) {
        m_text = text;
        Answer(MessageBoxButtons::Ok, MessageBoxIcon::None, "Return");
        EXPECT_EQ(m_seenText, text);
    }
    unsetenv("MURMEL_MESSAGE_LOG");
    m_text = "not noted";
    Answer(MessageBoxButtons::Ok, MessageBoxIcon::None, "Return");

    std::ifstream in(log);
    std::string line;
    std::vector<std::string> noted;
    while (std::getline(in, line)) {
        Json::Value entry;
        ASSERT_TRUE(Json::Reader().parse(line, entry)) << line;
        EXPECT_EQ(entry["title"].asString(), "Murmel Alarm");
        noted.push_back(entry["text"].asString());
    }
    EXPECT_EQ(noted, texts);
}

// A window that counts the clicks on the button filling it.
struct ClickTarget {
    explicit ClickTarget(int left)
        : window(GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL))), x(left) {
        GtkWidget* button = gtk_button_new_with_label("target");
        g_signal_connect(button, "clicked",
                         G_CALLBACK(+[](GtkButton*, gpointer n) { ++*static_cast<int*>(n); }),
                         &clicks);
        gtk_container_add(GTK_CONTAINER(window), button);
        gtk_window_set_default_size(window, 120, 80);
        gtk_window_move(window, x, 0);
        gtk_widget_show_all(GTK_WIDGET(window));
    }
    ~ClickTarget() { gtk_widget_destroy(GTK_WIDGET(window)); }
    // Where a click lands on the button: the window stands where it was
    // moved, as there is no window manager.
    std::string Middle() const { return std::to_string(x + 60) + " 40"; }
    GtkWindow* window;
    int x;
    int clicks = 0;
};

// Runs the loop until done() holds or about ten seconds have passed.
bool Iterate(const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
        while (gtk_events_pending()) gtk_main_iteration();
        g_usleep(10000);
    }
    return done();
}

TEST_F(MessageBoxTest, ABoxKeepsClicksFromItsOwnerAndFromNoOtherWindow) {
    ClickTarget owner(0), other(300);
    ASSERT_TRUE(Iterate([&] {
        return gtk_widget_get_mapped(GTK_WIDGET(owner.window)) &&
               gtk_widget_get_mapped(GTK_WIDGET(other.window));
    }));
    GtkMessageBox box;
    box.SetOwnerWindow(owner.window);
    struct Seen {
        bool modalToOwner = false;
        bool clicked = false;
        int tries = 0;
    } seen;
    // Once the box is up: a click on the owner, then one on the other
    // window, from one pointer in that order; the other window's click
    // shows both were handled. Then the box is answered.
    const std::string clicks =
        "xdotool mousemove " + owner.Middle() + " click 1 mousemove " + other.Middle() + " click 1";
    struct Step {
        GtkWindow* owner;
        ClickTarget* other;
        Seen* seen;
        std::string clicks;
    } step{owner.window, &other, &seen, clicks};
    g_timeout_add(
        20,
        [](gpointer data) -> gboolean {
            auto* s = static_cast<Step*>(data);
            GtkWindow* dialog = FindVisibleWindow(GTK_TYPE_MESSAGE_DIALOG, "Murmel Alarm");
            if (++s->seen->tries > 1000) {
                if (dialog) gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
                return G_SOURCE_REMOVE;
            }
            if (!dialog || !gtk_widget_get_mapped(GTK_WIDGET(dialog))) return G_SOURCE_CONTINUE;
            if (!s->seen->clicked) {
                s->seen->modalToOwner = gtk_window_get_modal(dialog) &&
                                        gtk_window_get_transient_for(dialog) == s->owner;
                g_spawn_command_line_async(s->clicks.c_str(), nullptr);
                s->seen->clicked = true;
                return G_SOURCE_CONTINUE;
            }
            if (s->other->clicks == 0) return G_SOURCE_CONTINUE;
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
            return G_SOURCE_REMOVE;
        },
        &step);
    EXPECT_EQ(box.Show("Open", "Murmel Alarm", MessageBoxButtons::Ok, MessageBoxIcon::None),
              MessageBoxAnswer::Ok);
    EXPECT_TRUE(seen.modalToOwner);
    EXPECT_EQ(other.clicks, 1);
    EXPECT_EQ(owner.clicks, 0);

    // With the box gone, the owner takes clicks again.
    g_spawn_command_line_async(("xdotool mousemove " + owner.Middle() + " click 1").c_str(),
                               nullptr);
    EXPECT_TRUE(Iterate([&] { return owner.clicks == 1; }));
    box.SetOwnerWindow(nullptr);
}

TEST_F(MessageBoxTest, AnOwnerThatComesWhileTheBoxIsUpFindsItModalToIt) {
    GtkWindow* owner = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    GtkMessageBox box;
    box.SetOwnerWindow(owner);
    struct Seen {
        GtkWindow* owner;
        bool modalBefore = true;
        bool modalAfter = false;
        int tries = 0;
    } seen{owner};
    // Once the box is on screen, its owner is shown; then the box is answered.
    g_timeout_add(
        20,
        [](gpointer data) -> gboolean {
            auto* s = static_cast<Seen*>(data);
            GtkWindow* dialog = FindVisibleWindow(GTK_TYPE_MESSAGE_DIALOG, "Murmel Alarm");
            if ((!dialog || !gtk_widget_get_mapped(GTK_WIDGET(dialog))) && ++s->tries < 1000)
                return G_SOURCE_CONTINUE;
            if (!dialog) return G_SOURCE_REMOVE;
            s->modalBefore = gtk_window_get_modal(dialog);
            gtk_widget_show(GTK_WIDGET(s->owner));
            s->modalAfter =
                gtk_window_get_modal(dialog) && gtk_window_get_transient_for(dialog) == s->owner;
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
            return G_SOURCE_REMOVE;
        },
        &seen);
    EXPECT_EQ(box.Show("Open", "Murmel Alarm", MessageBoxButtons::Ok, MessageBoxIcon::None),
              MessageBoxAnswer::Ok);
    EXPECT_FALSE(seen.modalBefore);  // nothing of it was on screen to block
    EXPECT_TRUE(seen.modalAfter);
    box.SetOwnerWindow(nullptr);
    gtk_widget_destroy(GTK_WIDGET(owner));
}

}  // namespace
