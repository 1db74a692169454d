#pragma once
// The message-box port on GtkMessageDialog. Show runs the dialog with
// gtk_dialog_run, which nests the GLib main loop, so timers and posted
// messages keep arriving. Enter chooses OK or Yes; Escape and the close box
// count as Cancel or No (OK for a box that has nothing else).
#include "platform/MessageBox.h"

class GtkMessageBox : public IMessageBox {
public:
    MessageBoxAnswer Show(const std::string& text, const std::string& title,
                          MessageBoxButtons buttons, MessageBoxIcon icon) override;
};
