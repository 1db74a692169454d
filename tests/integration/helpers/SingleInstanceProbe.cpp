// A stand-in for a program start, driven by SingleInstanceTest.
//   single_instance_probe DIR [--with-child]
// Prints "handed-over" and exits 0 when another instance holds DIR's lock.
// Otherwise prints "acquired" (with --with-child first starts a long-lived
// child, as a launched browser would be, and prints "child PID"), then one
// "activation" line per request, until its standard input closes.
#include <glib-unix.h>
#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/linux/UnixSingleInstance.h"

namespace {
gboolean OnInput(gint fd, GIOCondition condition, gpointer loop) {
    char buffer[64];
    if (read(fd, buffer, sizeof(buffer)) > 0) return G_SOURCE_CONTINUE;
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    UnixSingleInstance instance(argv[1]);
    if (!instance.AcquireOrActivate()) {
        std::printf("handed-over\n");
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[2], "--with-child") == 0) {
        gchar* child[] = {const_cast<gchar*>("sleep"), const_cast<gchar*>("60"), nullptr};
        GPid pid = 0;
        if (!g_spawn_async(
                nullptr, child, nullptr,
                static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_LEAVE_DESCRIPTORS_OPEN |
                                         G_SPAWN_DO_NOT_REAP_CHILD),
                nullptr, nullptr, &pid, nullptr))
            return 3;
        std::printf("child %d\n", static_cast<int>(pid));
    }
    std::printf("acquired\n");
    std::fflush(stdout);
    instance.OnActivation([] {
        std::printf("activation\n");
        std::fflush(stdout);
    });
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_unix_fd_add(STDIN_FILENO, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), OnInput, loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    return 0;
}
