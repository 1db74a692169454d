// GtkTextDialog under Xvfb: its buttons, keys and modal run.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <vector>

#include "DialogTestSupport.h"
#include "platform/linux/GtkTextDialog.h"

namespace {

struct Recorder : INativeDialogEvents {
    std::vector<std::string> events;
    std::function<void()> after;
    void OnButton(DialogButton button) override {
        events.push_back(button == DialogButton::Ok ? "ok" : "cancel");
        if (after) after();
    }
    void OnDismiss() override {
        events.push_back("dismiss");
        if (after) after();
    }
};

// The dialog's button with that label, or null.
GtkWidget* ButtonLabelled(GtkWindow* dialog, const std::string& label) {
    for (gint response : {GTK_RESPONSE_OK, GTK_RESPONSE_CANCEL}) {
        GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response);
        if (button && label == gtk_button_get_label(GTK_BUTTON(button))) return button;
    }
    return nullptr;
}

std::string LabelText(GtkWindow* dialog) {
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    GList* children = gtk_container_get_children(GTK_CONTAINER(area));
    std::string text;
    for (GList* c = children; c; c = c->next)
        if (GTK_IS_LABEL(c->data)) text = gtk_label_get_text(GTK_LABEL(c->data));
    g_list_free(children);
    return text;
}

class TextDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)); }

    void SetUp() override {
        m_spec.title = "Murmel Alarm";
        m_spec.text = "You need to confirm your identity.";
        m_spec.okLabel = "OK";
        m_spec.cancelLabel = "Cancel";
    }

    template <typename Pred>
    bool IterateUntil(Pred pred) {
        for (int i = 0; i < 3000 && !pred(); ++i) {
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(5000);
        }
        return pred();
    }

    GtkWindow* Open() {
        GtkWindow* window = nullptr;
        IterateUntil([&] {
            window = FindVisibleWindow(GTK_TYPE_DIALOG, m_spec.title);
            return ReadyForKeys(window);
        });
        return window;
    }

    GtkTextDialogFactory m_factory;
    NativeDialogDescription m_spec;
    Recorder m_events;
};

TEST_F(TextDialogTest, ButtonsAndKeysReportTheirEvents) {
    auto dialog = m_factory.Create(m_spec, &m_events);
    EXPECT_FALSE(dialog->IsVisible());
    dialog->Show();
    GtkWindow* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_EQ(LabelText(window), m_spec.text);

    PressKey("Return");
    ASSERT_TRUE(IterateUntil([&] { return m_events.events.size() == 1; }));
    EXPECT_EQ(m_events.events.back(), "ok");
    // A button leaves hiding to the owner.
    EXPECT_TRUE(dialog->IsVisible());

    gtk_button_clicked(GTK_BUTTON(ButtonLabelled(window, "Cancel")));
    ASSERT_TRUE(IterateUntil([&] { return m_events.events.size() == 2; }));
    EXPECT_EQ(m_events.events.back(), "cancel");

    PressKey("Escape");
    ASSERT_TRUE(IterateUntil([&] { return m_events.events.size() == 3; }));
    EXPECT_EQ(m_events.events.back(), "dismiss");
    EXPECT_FALSE(dialog->IsVisible());

    // Shown again with new texts, it works as before.
    dialog->SetTitle("Murmel Notice");
    dialog->SetText("Second text");
    m_spec.title = "Murmel Notice";
    dialog->Show();
    window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(LabelText(window), "Second text");
    dialog->SetForeground();
    PressKey("Return");
    ASSERT_TRUE(IterateUntil([&] { return m_events.events.size() == 4; }));
    EXPECT_EQ(m_events.events.back(), "ok");
    dialog->Hide();
    EXPECT_FALSE(dialog->IsVisible());
}

TEST_F(TextDialogTest, ANoticeWithoutCloseBoxStillGoesWithEscape) {
    m_spec.cancelLabel.clear();
    m_spec.closeBox = false;
    m_spec.topmost = true;
    auto dialog = m_factory.Create(m_spec, &m_events);
    dialog->Show();
    GtkWindow* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(gtk_window_get_deletable(window));
    EXPECT_NE(ButtonLabelled(window, "OK"), nullptr);
    EXPECT_EQ(ButtonLabelled(window, "Cancel"), nullptr);
    PressKey("Escape");
    ASSERT_TRUE(IterateUntil([&] { return !m_events.events.empty(); }));
    EXPECT_EQ(m_events.events, std::vector<std::string>{"dismiss"});
    EXPECT_FALSE(dialog->IsVisible());
}

TEST_F(TextDialogTest, RunModalNestsTheLoopUntilEndModal) {
    std::unique_ptr<INativeDialog> dialog = m_factory.Create(m_spec, &m_events);
    m_events.after = [&] {
        dialog->Hide();
        dialog->EndModal();
    };
    TickCounter timer;
    int ticksWhenOpen = -1;
    WhenWindowOpen(GTK_TYPE_DIALOG, m_spec.title, [&](GtkWindow* window) {
        ticksWhenOpen = timer.Ticks();
        EXPECT_TRUE(gtk_window_get_modal(window));
        gtk_button_clicked(GTK_BUTTON(ButtonLabelled(window, "Cancel")));
    });
    dialog->RunModal();
    EXPECT_EQ(m_events.events, std::vector<std::string>{"cancel"});
    EXPECT_GT(ticksWhenOpen, 0);
    EXPECT_FALSE(dialog->IsVisible());

    // Escape also ends the modal run, through the owner's EndModal or the hide.
    m_events.after = nullptr;
    WhenWindowOpen(GTK_TYPE_DIALOG, m_spec.title, [](GtkWindow*) { PressKey("Escape"); });
    dialog->RunModal();
    EXPECT_EQ(m_events.events.back(), "dismiss");
    EXPECT_FALSE(dialog->IsVisible());
}

}  // namespace
