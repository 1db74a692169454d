/* The engine's floor for the start-up benchmark: the same process layout as
 * the program's login screen (a window with one page in one web process, a
 * hidden view in a web process of its own, the network process) with
 * nothing of the program in it. bench/run.py alternates it with the program
 * and reports the program's figures as ratios to this one's. */
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

/* The same blue the bench looks for on the login button. */
static const char page[] =
    "<!DOCTYPE html><html><body style='margin:0;background:#1a6fd8'></body></html>";

static void on_load_changed(WebKitWebView* view, WebKitLoadEvent event, gpointer window) {
    if (event == WEBKIT_LOAD_FINISHED) gtk_widget_show_all(GTK_WIDGET(window));
}

static WebKitWebView* new_view(WebKitWebContext* context, WebKitSettings* settings) {
    return WEBKIT_WEB_VIEW(
        g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "settings", settings, NULL));
}

int main(int argc, char** argv) {
    /* As the program's main does. */
    gdk_set_allowed_backends("x11");
    g_setenv("GDK_GL", "disable", FALSE);
    g_setenv("WEBKIT_DISABLE_DMABUF_RENDERER", "1", FALSE);
    gtk_init(&argc, &argv);

    WebKitWebsiteDataManager* data = webkit_website_data_manager_new_ephemeral();
    WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(data);
    WebKitSettings* settings = webkit_settings_new();
    webkit_settings_set_hardware_acceleration_policy(settings,
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Bare engine");
    gtk_window_set_default_size(GTK_WINDOW(window), 281, 387);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    WebKitWebView* view = new_view(context, settings);
    gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
    g_signal_connect(view, "load-changed", G_CALLBACK(on_load_changed), window);
    webkit_web_view_load_html(view, page, NULL);

    /* Never shown; an unrelated view gets a web process of its own. */
    GtkWidget* hidden_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    WebKitWebView* hidden = new_view(context, settings);
    gtk_container_add(GTK_CONTAINER(hidden_window), GTK_WIDGET(hidden));
    webkit_web_view_load_html(hidden, "<p>hidden</p>", NULL);

    gtk_main();
    gtk_widget_destroy(hidden_window);
    g_object_unref(settings);
    g_object_unref(context);
    g_object_unref(data);
    return 0;
}
