#pragma once
// The message-box port on GtkMessageDialog. Show nests the GLib main loop
// until the box is answered, so timers and posted messages keep arriving.
// The box is modal to its owner only: owner and boxes share a window group
// of their own, so the box's grab keeps input from the owner and from no
// other window (toasts, the web client). Enter chooses OK or Yes; Escape
// and the close box count as Cancel or No (OK for a box that has nothing
// else). With MURMEL_MESSAGE_LOG set, each box's title and text are
// appended to that file as a JSON line when it opens, for tests that watch
// from outside.
#include <gtk/gtk.h>

#include "platform/MessageBox.h"

class GtkMessageBox : public IMessageBox {
public:
    GtkMessageBox() = default;
    ~GtkMessageBox() override;
    GtkMessageBox(const GtkMessageBox&) = delete;
    GtkMessageBox& operator=(const GtkMessageBox&) = delete;

    MessageBoxAnswer Show(const std::string& text, const std::string& title,
                          MessageBoxButtons buttons, MessageBoxIcon icon) override;
    // Takes a window that is a GTK toplevel; any other owner counts as none.
    void SetOwner(IHtmlWindow* owner) override;
    // The same for a plain GTK window.
    void SetOwnerWindow(GtkWindow* owner);

private:
    GtkWindow* m_owner = nullptr;
    GtkWindowGroup* m_group = nullptr;
};
