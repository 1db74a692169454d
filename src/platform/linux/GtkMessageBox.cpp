#include "platform/linux/GtkMessageBox.h"

#include <json/json.h>

#include <cstdlib>
#include <fstream>

#include "platform/HtmlWindow.h"
#include "platform/linux/GtkToplevel.h"

namespace {

GtkMessageType MessageType(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Information:
            return GTK_MESSAGE_INFO;
        case MessageBoxIcon::Warning:
            return GTK_MESSAGE_WARNING;
        case MessageBoxIcon::Error:
            return GTK_MESSAGE_ERROR;
        case MessageBoxIcon::Question:
            return GTK_MESSAGE_QUESTION;
        case MessageBoxIcon::None:
            break;
    }
    return GTK_MESSAGE_OTHER;
}

struct ButtonSet {
    GtkButtonsType gtk;
    GtkResponseType defaultResponse;
    MessageBoxAnswer dismissed;
};

ButtonSet Buttons(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::OkCancel:
            return {GTK_BUTTONS_OK_CANCEL, GTK_RESPONSE_OK, MessageBoxAnswer::Cancel};
        case MessageBoxButtons::YesNo:
            return {GTK_BUTTONS_YES_NO, GTK_RESPONSE_YES, MessageBoxAnswer::No};
        case MessageBoxButtons::Ok:
            break;
    }
    return {GTK_BUTTONS_OK, GTK_RESPONSE_OK, MessageBoxAnswer::Ok};
}

// Tests outside the process cannot read a dialog's text from the screen:
// with MURMEL_MESSAGE_LOG set, each box is also noted there as one JSON
// line, when it opens.
void NoteBox(const std::string& text, const std::string& title) {
    const char* path = std::getenv("MURMEL_MESSAGE_LOG");
    if (!path || !*path) return;
    Json::Value line;
    line["title"] = title;
    line["text"] = text;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    std::ofstream(path, std::ios::app) << Json::writeString(writer, line) << "\n";
}

void ModalTo(GtkWidget* owner, gpointer box) {
    gtk_window_set_transient_for(GTK_WINDOW(box), GTK_WINDOW(owner));
    gtk_window_set_modal(GTK_WINDOW(box), TRUE);
}

// Ends the nested loop of Show with the box's answer.
struct BoxRun {
    GMainLoop* loop = nullptr;
    gint response = GTK_RESPONSE_NONE;

    static void OnResponse(GtkDialog*, gint response, gpointer data) {
        auto* run = static_cast<BoxRun*>(data);
        run->response = response;
        g_main_loop_quit(run->loop);
    }
};

}  // namespace

GtkMessageBox::~GtkMessageBox() {
    SetOwnerWindow(nullptr);
    if (m_group) g_object_unref(m_group);
}

void GtkMessageBox::SetOwner(IHtmlWindow* owner) {
    auto* window = dynamic_cast<IGtkToplevel*>(owner);
    SetOwnerWindow(window ? window->Window() : nullptr);
}

void GtkMessageBox::SetOwnerWindow(GtkWindow* owner) {
    if (m_owner) {
        gtk_window_group_remove_window(m_group, m_owner);
        g_object_remove_weak_pointer(G_OBJECT(m_owner), reinterpret_cast<gpointer*>(&m_owner));
    }
    m_owner = owner;
    if (!m_owner) return;
    // A group of the owner's own: a grab counts only inside its group, and
    // every other window stays in GTK's default one.
    if (!m_group) m_group = gtk_window_group_new();
    gtk_window_group_add_window(m_group, m_owner);
    g_object_add_weak_pointer(G_OBJECT(m_owner), reinterpret_cast<gpointer*>(&m_owner));
}

MessageBoxAnswer GtkMessageBox::Show(const std::string& text, const std::string& title,
                                     MessageBoxButtons buttons, MessageBoxIcon icon) {
    ButtonSet set = Buttons(buttons);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GtkDialogFlags(0), MessageType(icon),
                                               set.gtk, "%s", text.c_str());
    GtkWindow* window = GTK_WINDOW(dialog);
    gtk_window_set_title(window, title.c_str());
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    // Modal to the owner alone. A box modal to nothing in particular would
    // be taken by the window manager as modal to every window of the
    // program, so a box without an owner on screen is not modal at all.
    // The owner counts once it has been on screen: until then the window
    // manager knows no window for the box to belong to.
    GtkWindowGroup* group = m_owner ? m_group : gtk_window_group_new();
    gtk_window_group_add_window(group, window);
    if (m_owner && gtk_widget_get_realized(GTK_WIDGET(m_owner))) {
        ModalTo(GTK_WIDGET(m_owner), window);
    } else if (m_owner) {
        // An owner that comes on screen while the box is up (the login
        // window whose page loaded late) would take the keyboard from it:
        // the box becomes modal to it before it is mapped. The handler goes
        // with the box, whatever becomes of the owner meanwhile.
        g_signal_connect_object(m_owner, "realize", G_CALLBACK(ModalTo), window,
                                static_cast<GConnectFlags>(0));
    }
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), set.defaultResponse);
    if (GtkWidget* button =
            gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), set.defaultResponse))
        gtk_widget_grab_focus(button);
    BoxRun run;
    run.loop = g_main_loop_new(nullptr, FALSE);
    // Escape and the close box answer GTK_RESPONSE_DELETE_EVENT.
    g_signal_connect(dialog, "response", G_CALLBACK(BoxRun::OnResponse), &run);
    gtk_window_present(window);
    NoteBox(text, title);
    g_main_loop_run(run.loop);
    g_main_loop_unref(run.loop);
    g_signal_handlers_disconnect_by_data(dialog, &run);
    gtk_widget_destroy(dialog);
    if (group != m_group) g_object_unref(group);
    switch (run.response) {
        case GTK_RESPONSE_OK:
            return MessageBoxAnswer::Ok;
        case GTK_RESPONSE_CANCEL:
            return MessageBoxAnswer::Cancel;
        case GTK_RESPONSE_YES:
            return MessageBoxAnswer::Yes;
        case GTK_RESPONSE_NO:
            return MessageBoxAnswer::No;
        default:
            return set.dismissed;
    }
}
