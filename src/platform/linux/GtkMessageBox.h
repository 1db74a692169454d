#pragma once
// The message-box port on GtkMessageDialog. Show runs the dialog with
// gtk_dialog_run, which nests the GLib main loop, so timers and posted
// messages keep arriving. Enter chooses OK or Yes; Escape and the close box
// count as Cancel or No (OK for a box that has nothing else). With
// MURMEL_MESSAGE_LOG set, each box's title and text are appended to that
// file as a JSON line when it opens, for tests that watch from outside.
#include "platform/MessageBox.h"

class GtkMessageBox : public IMessageBox {
public:
    MessageBoxAnswer Show(const std::string& text, const std::string& title,
                          MessageBoxButtons buttons, MessageBoxIcon icon) override;
};
