#include "platform/linux/GioShell.h"

#include <gdk/gdk.h>
#include <gio/gio.h>

#include "platform/linux/EngineEnvironment.h"

namespace {

// An address that begins with '-' would reach the browser as an option.
bool Acceptable(const std::string& url) {
    return !url.empty() && url.front() != '-';
}

// The browser starts with the user's environment, not with the engine
// settings made for our own process.
GAppLaunchContext* LaunchContext() {
    GdkDisplay* display = gdk_display_get_default();
    GAppLaunchContext* context =
        display ? G_APP_LAUNCH_CONTEXT(gdk_display_get_app_launch_context(display))
                : g_app_launch_context_new();
    for (const std::string& name : EngineVariablesSet())
        g_app_launch_context_unsetenv(context, name.c_str());
    return context;
}

gchar** ChildEnvironment() {
    gchar** envp = g_get_environ();
    for (const std::string& name : EngineVariablesSet())
        envp = g_environ_unsetenv(envp, name.c_str());
    return envp;
}

// Expands the field codes of one argument; the first placeholder for a file
// or address (in the whole command) takes the address. False when the
// argument consisted of field codes that all expanded to nothing.
bool ExpandArgument(const std::string& arg, const std::string& url, bool& urlUsed,
                    std::string& out) {
    out.clear();
    bool onlyCodes = !arg.empty();
    for (size_t i = 0; i < arg.size(); ++i) {
        if (arg[i] != '%' || i + 1 == arg.size()) {
            out += arg[i];
            onlyCodes = false;
            continue;
        }
        char code = arg[++i];
        if (code == '%') {
            out += '%';
            onlyCodes = false;
        } else if (!urlUsed && (code == 'u' || code == 'U' || code == 'f' || code == 'F')) {
            out += url;
            urlUsed = true;
            onlyCodes = false;
        }
    }
    return !onlyCodes;
}

}  // namespace

StringList BrowserArguments(const std::string& command, const std::string& url) {
    gint argc = 0;
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(command.c_str(), &argc, &argv, nullptr)) return {};
    StringList args;
    bool urlUsed = false;
    for (gint i = 0; i < argc; ++i) {
        std::string expanded;
        if (ExpandArgument(argv[i], url, urlUsed, expanded)) args.push_back(expanded);
    }
    g_strfreev(argv);
    if (args.empty()) return {};
    if (!urlUsed) args.push_back(url);
    return args;
}

bool GioShell::OpenUrl(const std::string& url) {
    if (!Acceptable(url)) return false;
    GAppLaunchContext* context = LaunchContext();
    gboolean launched = FALSE;
    if (GAppInfo* app = g_app_info_get_default_for_uri_scheme("https")) {
        GList uris{const_cast<char*>(url.c_str()), nullptr, nullptr};
        launched = g_app_info_launch_uris(app, &uris, context, nullptr);
        g_object_unref(app);
    } else {
        launched = g_app_info_launch_default_for_uri(url.c_str(), context, nullptr);
    }
    g_object_unref(context);
    return launched;
}

std::string GioShell::DefaultBrowserCommand() {
    GAppInfo* app = g_app_info_get_default_for_uri_scheme("https");
    if (!app) return {};
    const char* commandline = g_app_info_get_commandline(app);
    std::string command = commandline ? commandline : "";
    g_object_unref(app);
    return command;
}

bool GioShell::LaunchBrowser(const std::string& command, const std::string& url) {
    if (!Acceptable(url)) return false;
    StringList args = BrowserArguments(command, url);
    if (args.empty()) return false;
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    gchar** envp = ChildEnvironment();
    const gboolean started = g_spawn_async(nullptr, argv.data(), envp, G_SPAWN_SEARCH_PATH, nullptr,
                                           nullptr, nullptr, nullptr);
    g_strfreev(envp);
    return started;
}
