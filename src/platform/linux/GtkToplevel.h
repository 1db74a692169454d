#pragma once
// A window of ours that is a GTK toplevel underneath: what an adapter needs
// to reach it (a message box's owner) without knowing what it shows.
#include <gtk/gtk.h>

class IGtkToplevel {
public:
    virtual GtkWindow* Window() const = 0;

protected:
    ~IGtkToplevel() = default;
};
