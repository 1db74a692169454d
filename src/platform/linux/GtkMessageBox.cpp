#include "platform/linux/GtkMessageBox.h"

#include <gtk/gtk.h>
#include <json/json.h>

#include <cstdlib>
#include <fstream>

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

}  // namespace

MessageBoxAnswer GtkMessageBox::Show(const std::string& text, const std::string& title,
                                     MessageBoxButtons buttons, MessageBoxIcon icon) {
    ButtonSet set = Buttons(buttons);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, MessageType(icon),
                                               set.gtk, "%s", text.c_str());
    GtkWindow* window = GTK_WINDOW(dialog);
    gtk_window_set_title(window, title.c_str());
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), set.defaultResponse);
    if (GtkWidget* button =
            gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), set.defaultResponse))
        gtk_widget_grab_focus(button);
    gtk_window_present(window);
    NoteBox(text, title);
    gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    switch (response) {
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
