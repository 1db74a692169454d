#pragma once
// The native-dialog port on GtkDialog: a text and up to two buttons. Enter
// chooses the OK button. Escape and the close box hide the dialog and report
// OnDismiss; without a close box only Escape does. RunModal nests the GLib
// main loop until EndModal, or until the dialog is hidden.
#include <gtk/gtk.h>

#include "platform/NativeDialog.h"

class GtkTextDialog : public INativeDialog {
public:
    GtkTextDialog(const NativeDialogDescription& spec, INativeDialogEvents* events);
    ~GtkTextDialog() override;
    GtkTextDialog(const GtkTextDialog&) = delete;
    GtkTextDialog& operator=(const GtkTextDialog&) = delete;

    void SetText(const std::string& text) override;
    void SetTitle(const std::string& title) override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override;
    void SetForeground() override;
    void RunModal() override;
    void EndModal() override;

private:
    static void OnResponse(GtkDialog* dialog, gint response, gpointer self);

    INativeDialogEvents* m_events;
    GtkWidget* m_dialog;
    GtkWidget* m_label;
    GMainLoop* m_modalLoop = nullptr;
};

class GtkTextDialogFactory : public INativeDialogFactory {
public:
    std::unique_ptr<INativeDialog> Create(const NativeDialogDescription& spec,
                                          INativeDialogEvents* events) override;
};
