// murmel-service: the local Murmel service for the demo and the tests.
#include <glib-unix.h>

#include <cstdio>

#include "Server.h"

namespace {

gboolean Quit(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}

std::string DefaultStateDir() {
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    return std::string(runtime && *runtime ? runtime : g_get_tmp_dir()) + "/murmel-service";
}

}  // namespace

int main(int argc, char** argv) {
    gint httpPort = 0, httpsPort = 0;
    gchar *portFile = nullptr, *scenario = nullptr, *stateDir = nullptr, *www = nullptr;
    GOptionEntry entries[] = {
        {"http-port", 0, 0, G_OPTION_ARG_INT, &httpPort, "HTTP port (0: any free port)", "N"},
        {"https-port", 0, 0, G_OPTION_ARG_INT, &httpsPort, "HTTPS port (0: any free port)", "N"},
        {"port-file", 0, 0, G_OPTION_ARG_FILENAME, &portFile,
         "Write the ports and the CA file as JSON here once listening", "FILE"},
        {"scenario", 0, 0, G_OPTION_ARG_FILENAME, &scenario, "Scenario JSON file", "FILE"},
        {"state-dir", 0, 0, G_OPTION_ARG_FILENAME, &stateDir,
         "Directory for certificates and the request log", "DIR"},
        {"www", 0, 0, G_OPTION_ARG_FILENAME, &www, "Directory of the page templates", "DIR"},
        {nullptr, 0, 0, G_OPTION_ARG_NONE, nullptr, nullptr, nullptr}};
    GOptionContext* context = g_option_context_new("- the local Murmel service");
    g_option_context_add_main_entries(context, entries, nullptr);
    GError* error = nullptr;
    if (!g_option_context_parse(context, &argc, &argv, &error)) {
        std::fprintf(stderr, "murmel-service: %s\n", error->message);
        return 2;
    }
    g_option_context_free(context);
    if (httpPort < 0 || httpPort > 65535 || httpsPort < 0 || httpsPort > 65535) {
        std::fprintf(stderr, "murmel-service: ports are 0 to 65535\n");
        return 2;
    }

    svc::Options options;
    options.httpPort = httpPort;
    options.httpsPort = httpsPort;
    options.portFile = portFile ? portFile : "";
    options.scenarioFile = scenario ? scenario : "";
    // Absolute, so the CA path in the port file works from any directory.
    gchar* absolute =
        g_canonicalize_filename(stateDir ? stateDir : DefaultStateDir().c_str(), nullptr);
    options.stateDir = absolute;
    g_free(absolute);
    options.wwwDir = www ? www : MURMEL_SERVICE_WWW;
    g_free(portFile);
    g_free(scenario);
    g_free(stateDir);
    g_free(www);

    svc::Server server(options);
    std::string failure;
    if (!server.Start(failure)) {
        std::fprintf(stderr, "murmel-service: %s\n", failure.c_str());
        return 1;
    }
    std::printf("murmel-service: http://127.0.0.1:%d https://127.0.0.1:%d\n", server.HttpPort(),
                server.HttpsPort());
    std::printf("murmel-service: CA file %s\n", server.Certs().caFile.c_str());
    std::printf("murmel-service: request log %s/requests.jsonl\n", options.stateDir.c_str());
    std::fflush(stdout);

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_unix_signal_add(SIGINT, Quit, loop);
    g_unix_signal_add(SIGTERM, Quit, loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    return 0;
}
