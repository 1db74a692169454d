// The window side of an HTML window: showing, placing, shaping.
#include "platform/linux/WebKitHtmlWindow.h"

// After the port headers: Xlib defines macros such as Status.
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/linux/WindowShape.h"

namespace {
// Asking the X server for its time is a round trip that reads every event
// waiting on the connection into Xlib's queue at once, and a burst of
// messages presents toasts many times a second. The server's clock runs at
// the pace of ours, so it is asked at most once a second and read in between
// as our clock plus the offset it last gave, which is never ahead of the
// server: its answer was taken before ours.
guint32 ServerTime(GtkWidget* window) {
    GdkWindow* gdk = gtk_widget_get_window(window);
    if (!gdk || !GDK_IS_X11_WINDOW(gdk)) return GDK_CURRENT_TIME;
    constexpr gint64 kAskEveryMs = 1000;
    static gint64 askedAt = 0;
    static guint32 offset = 0;
    const gint64 now = g_get_monotonic_time() / 1000;
    if (askedAt != 0 && now - askedAt < kAskEveryMs) return static_cast<guint32>(now) + offset;
    const guint32 server = gdk_x11_get_server_time(gdk);
    askedAt = g_get_monotonic_time() / 1000;
    offset = server - static_cast<guint32>(askedAt);
    return server;
}
}  // namespace

void WebKitHtmlWindow::ShowWindow(bool activate) {
    GtkWindow* window = Window();
    if (activate) {
        gtk_widget_show(m_window);
        gtk_window_present_with_time(window, ServerTime(m_window));
        return;
    }
    const gboolean focusOnMap = gtk_window_get_focus_on_map(window);
    gtk_window_set_focus_on_map(window, FALSE);
    gtk_widget_show(m_window);
    gtk_window_set_focus_on_map(window, focusOnMap);
}

void WebKitHtmlWindow::Show() {
    ShowWindow(true);
}
void WebKitHtmlWindow::ShowNoActivate() {
    ShowWindow(false);
}
void WebKitHtmlWindow::Hide() {
    gtk_widget_hide(m_window);
}
bool WebKitHtmlWindow::IsVisible() const {
    return gtk_widget_get_visible(m_window);
}
void WebKitHtmlWindow::Enable(bool enabled) {
    gtk_widget_set_sensitive(m_window, enabled);
}
bool WebKitHtmlWindow::IsEnabled() const {
    return gtk_widget_get_sensitive(m_window);
}
bool WebKitHtmlWindow::IsActive() const {
    return gtk_window_is_active(Window());
}

// Only a shown window comes forward: presenting a hidden one would show it,
// before its page is there, and a later Show would raise it again over
// whatever the user opened in between.
void WebKitHtmlWindow::SetForeground() {
    if (!gtk_widget_get_visible(m_window)) return;
    gtk_window_present_with_time(Window(), ServerTime(m_window));
}

// Every toast is placed again at each message of a burst. Asked again while
// it holds, a state, a place or a size is a request the window manager
// answers with events; they came faster than they were read, and Xlib keeps
// every entry its event queue ever needed (1.6 MiB after 1,000 messages).
void WebKitHtmlWindow::SetTopmost(bool topmost) {
    if (m_topmost == topmost) return;
    m_topmost = topmost;
    gtk_window_set_keep_above(Window(), topmost);
}
void WebKitHtmlWindow::Move(int x, int y) {
    const std::pair<int, int> at{x, y};
    if (m_placedAt == at) return;
    gtk_window_move(Window(), x, y);
    // Only a shown window's place is known from its events; a hidden one
    // takes its place when it is shown.
    if (gtk_widget_get_mapped(m_window))
        m_placedAt = at;
    else
        m_placedAt.reset();
}

// The window manager or the user moved the window, or it reports a place
// asked for before: the next move is sent whatever it asks for.
gboolean WebKitHtmlWindow::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    auto* self = static_cast<WebKitHtmlWindow*>(data);
    if (self->m_placedAt != std::pair<int, int>{event->x, event->y}) self->m_placedAt.reset();
    return FALSE;
}

void WebKitHtmlWindow::OnUnmap(GtkWidget*, gpointer data) {
    static_cast<WebKitHtmlWindow*>(data)->m_placedAt.reset();
}

void WebKitHtmlWindow::Resize(int width, int height) {
    // The user can change the size of a resizable window; the fixed size of
    // any other holds until the program asks for another.
    if (!m_resizable && width == m_width && height == m_height) return;
    m_width = width;
    m_height = height;
    // A GtkWindow that is not resizable takes its content's natural size,
    // which for a web view is the page's; fixed limits keep the size given.
    if (!m_resizable) {
        GdkGeometry limits{};
        limits.min_width = limits.max_width = width;
        limits.min_height = limits.max_height = height;
        gtk_window_set_geometry_hints(Window(), nullptr, &limits,
                                      GdkWindowHints(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
    }
    gtk_window_set_default_size(Window(), width, height);
    gtk_window_resize(Window(), width, height);
    if (m_ellipseWidth > 0 && m_ellipseHeight > 0)
        ShapeRoundedWindow(m_window, width, height, m_ellipseWidth, m_ellipseHeight);
}

void WebKitHtmlWindow::Center() {
    GdkDisplay* display = gtk_widget_get_display(m_window);
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    const Rect rect = GetRect();
    Move(area.x + std::max(0, (area.width - rect.Width()) / 2),
         area.y + std::max(0, (area.height - rect.Height()) / 2));
}

Rect WebKitHtmlWindow::GetRect() const {
    GdkWindow* gdk = gtk_widget_get_window(m_window);
    if (gdk && gtk_widget_get_mapped(m_window)) {
        GdkRectangle frame;
        gdk_window_get_frame_extents(gdk, &frame);
        return {frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
    }
    int x = 0, y = 0, width = 0, height = 0;
    gtk_window_get_position(Window(), &x, &y);
    gtk_window_get_size(Window(), &width, &height);
    return {x, y, x + width, y + height};
}

void WebKitHtmlWindow::SetTitle(const std::string& title) {
    gtk_window_set_title(Window(), title.c_str());
}

void WebKitHtmlWindow::SetRoundedRegion(int ellipseWidth, int ellipseHeight) {
    m_ellipseWidth = ellipseWidth;
    m_ellipseHeight = ellipseHeight;
    int width = m_width, height = m_height;
    if (width <= 0 || height <= 0) gtk_window_get_size(Window(), &width, &height);
    ShapeRoundedWindow(m_window, width, height, ellipseWidth, ellipseHeight);
}

void WebKitHtmlWindow::SetDragHandles(const StringList& ids) {
    m_dragHandles = ids;
    InstallScripts();
}

void WebKitHtmlWindow::Minimize() {
    gtk_window_iconify(Window());
}
