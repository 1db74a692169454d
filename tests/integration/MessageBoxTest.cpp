// GtkMessageBox under Xvfb, answered with real key presses.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <json/json.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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
    EXPECT_TRUE(m_modal);
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

}  // namespace
