#pragma once
// Helpers for tests that answer GTK dialogs from outside, as a user would:
// find the open dialog among the toplevels and press keys with xdotool.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>

// The visible toplevel of the given type whose title is title, or null.
inline GtkWindow* FindVisibleWindow(GType type, const std::string& title) {
    GtkWindow* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        GtkWindow* window = GTK_WINDOW(w->data);
        const char* t = gtk_window_get_title(window);
        if (G_TYPE_CHECK_INSTANCE_TYPE(window, type) &&
            gtk_widget_get_visible(GTK_WIDGET(window)) && t && title == t)
            found = window;
    }
    g_list_free(windows);
    return found;
}

// Key presses reach a window once it is on screen and has the keyboard focus
// (on a bare X server, once the pointer is over it).
inline bool ReadyForKeys(GtkWindow* window) {
    return window && gtk_widget_get_mapped(GTK_WIDGET(window)) && gtk_window_is_active(window);
}

// Presses a key on the X display; the loop keeps running meanwhile.
inline void PressKey(const std::string& key) {
    gchar* argv[] = {const_cast<gchar*>("xdotool"), const_cast<gchar*>("key"),
                     const_cast<gchar*>(key.c_str()), nullptr};
    g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr);
}

// Calls action once from the main loop as soon as a toplevel of the type
// with the title is ready for keys, polling every 20 ms. A dialog that never
// gets there is a failure, and is closed so that the test goes on.
inline void WhenWindowOpen(GType type, const std::string& title,
                           std::function<void(GtkWindow*)> action) {
    struct Wait {
        GType type;
        std::string title;
        std::function<void(GtkWindow*)> action;
        int tries = 0;
    };
    auto* wait = new Wait{type, title, std::move(action)};
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 20,
        [](gpointer data) -> gboolean {
            auto* w = static_cast<Wait*>(data);
            GtkWindow* window = FindVisibleWindow(w->type, w->title);
            if (ReadyForKeys(window)) {
                w->action(window);
                return G_SOURCE_REMOVE;
            }
            if (++w->tries < 1000) return G_SOURCE_CONTINUE;
            ADD_FAILURE() << "no window \"" << w->title << "\" took the keyboard focus";
            if (window && GTK_IS_DIALOG(window))
                gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_DELETE_EVENT);
            return G_SOURCE_REMOVE;
        },
        wait, [](gpointer data) { delete static_cast<Wait*>(data); });
}

// Counts the firings of a short timer while it lives: proof that the main
// loop ran meanwhile.
class TickCounter {
public:
    TickCounter()
        : m_source(g_timeout_add(
              10,
              [](gpointer ticks) -> gboolean {
                  ++*static_cast<int*>(ticks);
                  return G_SOURCE_CONTINUE;
              },
              &m_ticks)) {}
    ~TickCounter() { g_source_remove(m_source); }
    TickCounter(const TickCounter&) = delete;
    TickCounter& operator=(const TickCounter&) = delete;
    int Ticks() const { return m_ticks; }

private:
    int m_ticks = 0;
    guint m_source;
};
