#include "platform/linux/GtkTextDialog.h"

GtkTextDialog::GtkTextDialog(const NativeDialogDescription& spec, INativeDialogEvents* events)
    : m_events(events), m_dialog(gtk_dialog_new()), m_label(gtk_label_new(spec.text.c_str())) {
    g_object_ref_sink(m_dialog);
    GtkWindow* window = GTK_WINDOW(m_dialog);
    gtk_window_set_title(window, spec.title.c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_window_set_deletable(window, spec.closeBox);
    gtk_window_set_keep_above(window, spec.topmost);

    gtk_label_set_line_wrap(GTK_LABEL(m_label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(m_label), 60);
    gtk_label_set_xalign(GTK_LABEL(m_label), 0.0f);
    gtk_widget_set_margin_start(m_label, 16);
    gtk_widget_set_margin_end(m_label, 16);
    gtk_widget_set_margin_top(m_label, 16);
    gtk_widget_set_margin_bottom(m_label, 8);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(m_dialog))), m_label);
    gtk_widget_show(m_label);

    if (!spec.okLabel.empty())
        gtk_dialog_add_button(GTK_DIALOG(m_dialog), spec.okLabel.c_str(), GTK_RESPONSE_OK);
    if (!spec.cancelLabel.empty())
        gtk_dialog_add_button(GTK_DIALOG(m_dialog), spec.cancelLabel.c_str(), GTK_RESPONSE_CANCEL);
    if (GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(m_dialog), GTK_RESPONSE_OK)) {
        gtk_dialog_set_default_response(GTK_DIALOG(m_dialog), GTK_RESPONSE_OK);
        gtk_widget_grab_focus(ok);
    }
    // GtkDialog answers Escape and the close box with a DELETE_EVENT
    // response (OnResponse hides the dialog), then would destroy the window;
    // the dialog lives as long as this object.
    g_signal_connect(m_dialog, "response", G_CALLBACK(OnResponse), this);
    g_signal_connect(m_dialog, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
}

GtkTextDialog::~GtkTextDialog() {
    EndModal();
    g_signal_handlers_disconnect_by_data(m_dialog, this);
    gtk_widget_destroy(m_dialog);
    g_object_unref(m_dialog);
}

void GtkTextDialog::OnResponse(GtkDialog* dialog, gint response, gpointer self) {
    auto* d = static_cast<GtkTextDialog*>(self);
    switch (response) {
        case GTK_RESPONSE_OK:
            if (d->m_events) d->m_events->OnButton(DialogButton::Ok);
            break;
        case GTK_RESPONSE_CANCEL:
            if (d->m_events) d->m_events->OnButton(DialogButton::Cancel);
            break;
        default:
            d->Hide();
            if (d->m_events) d->m_events->OnDismiss();
            break;
    }
}

void GtkTextDialog::SetText(const std::string& text) {
    gtk_label_set_text(GTK_LABEL(m_label), text.c_str());
}

void GtkTextDialog::SetTitle(const std::string& title) {
    gtk_window_set_title(GTK_WINDOW(m_dialog), title.c_str());
}

void GtkTextDialog::Show() {
    gtk_widget_show(m_dialog);
    gtk_window_present(GTK_WINDOW(m_dialog));
}

void GtkTextDialog::Hide() {
    gtk_widget_hide(m_dialog);
    // A hidden dialog cannot be answered any more; leave its modal run.
    EndModal();
}

bool GtkTextDialog::IsVisible() const {
    return gtk_widget_get_visible(m_dialog);
}

void GtkTextDialog::SetForeground() {
    gtk_window_present(GTK_WINDOW(m_dialog));
}

void GtkTextDialog::RunModal() {
    if (m_modalLoop) return;
    gtk_window_set_modal(GTK_WINDOW(m_dialog), TRUE);
    Show();
    m_modalLoop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(m_modalLoop);
    g_main_loop_unref(m_modalLoop);
    m_modalLoop = nullptr;
    gtk_window_set_modal(GTK_WINDOW(m_dialog), FALSE);
}

void GtkTextDialog::EndModal() {
    if (m_modalLoop) g_main_loop_quit(m_modalLoop);
}

std::unique_ptr<INativeDialog> GtkTextDialogFactory::Create(const NativeDialogDescription& spec,
                                                            INativeDialogEvents* events) {
    return std::make_unique<GtkTextDialog>(spec, events);
}
