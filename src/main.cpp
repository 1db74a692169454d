// Process entry: builds the Linux desktop's adapters and runs the program.
#include <gtk/gtk.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/CMainApp.h"
#include "app/CommandLine.h"
#include "platform/linux/CanberraSound.h"
#include "platform/linux/DesktopNotificationPolicy.h"
#include "platform/linux/EngineEnvironment.h"
#include "platform/linux/EngineLoader.h"
#include "platform/linux/EnvDisplayLanguage.h"
#include "platform/linux/GdkDesktop.h"
#include "platform/linux/GioNetworkStatus.h"
#include "platform/linux/GioShell.h"
#include "platform/linux/GlibEventLoop.h"
#include "platform/linux/GtkMessageBox.h"
#include "platform/linux/GtkTextDialog.h"
#include "platform/linux/IniProfileFile.h"
#include "platform/linux/KeyFileStore.h"
#include "platform/linux/LocalClock.h"
#include "platform/linux/MallocTrim.h"
#include "platform/linux/ProcModulePath.h"
#include "platform/linux/SniTray.h"
#include "platform/linux/TextDirection.h"
#include "platform/linux/UnixSingleInstance.h"
#include "platform/linux/XdgAutostart.h"

namespace {
// Every adapter of the program, made once this process is the one instance.
struct LinuxDesktop {
    explicit LinuxDesktop(GlibEventLoop& loop) : loop(loop) {}
    GlibEventLoop& loop;
    GtkTextDialogFactory dialogs;
    GtkMessageBox messageBox;
    ProcModulePath module;
    // The engine, HTML windows and browser session alike; a local
    // service's own authority (MURMEL_CA_FILE) is for development and tests.
    EngineLoader engine{EngineModuleCandidates(module.ExecutablePath()),
                        std::string(g_get_user_data_dir()) + "/murmel-alarm",
                        g_getenv("MURMEL_CA_FILE") ? g_getenv("MURMEL_CA_FILE") : ""};
    SniTray tray;
    KeyFileStore store;
    IniProfileFile profile;
    std::unique_ptr<ISound> sound = MakeSound();
    GioShell shell;
    GioNetworkStatus network;
    LocalClock clock;
    EnvDisplayLanguage language;
    GdkDesktop desktop;
    XdgAutostart autostart;
    DesktopNotificationPolicy notificationPolicy;
    MallocTrim memory;
    Ports ports{loop,
                engine,  // the HTML windows
                dialogs, messageBox, tray,    store,     profile,
                module,  *sound,     shell,   network,
                engine,  // the browser session
                clock,   language,   desktop, autostart, notificationPolicy,
                memory};
};
}  // namespace

int main(int argc, char** argv) {
    // Toasts sit at absolute positions, stay on top and have shaped
    // corners: only X11 lets a client do that, so Wayland sessions run us
    // through XWayland.
    gdk_set_allowed_backends("x11");
    // GL and WebKit's memory pressure monitor off, for us alone.
    UseEngineEnvironment(ProcModulePath().ExecutablePath());
    // The windows' WM_CLASS is what the desktop entry's StartupWMClass names,
    // whatever the executable is called.
    g_set_prgname("murmel-alarm");

    // GTK takes its own options (--display and the like) out without
    // opening a display, so --help and --version need none, and neither
    // touches a running instance.
    const std::string program = "murmel-alarm";
    if (!gtk_parse_args(&argc, &argv)) {
        std::fputs(UsageLine(program).c_str(), stderr);
        return 2;
    }
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.action != CommandLine::Action::Run) {
        std::string out, err;
        const int code = AnswerCommandLine(line, program, out, err);
        std::fputs(out.c_str(), stdout);
        std::fputs(err.c_str(), stderr);
        return code;
    }
    gdk_set_program_class(MURMEL_WM_CLASS);
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "Murmel Alarm needs an X11 display (DISPLAY is not usable).\n");
        return 1;
    }
    GlibEventLoop loop;
    UnixSingleInstance instance;
    std::unique_ptr<LinuxDesktop> desktop;
    CMainApp app(instance, [&]() -> Ports& {
        desktop = std::make_unique<LinuxDesktop>(loop);
        UseTextDirection(desktop->language);
        return desktop->ports;
    });
    int code = app.Run();
    // Without its engine the program could not start: told once its tray
    // item is gone, so nothing else can be asked of it meanwhile.
    if (desktop && !desktop->engine.Failure().empty()) {
        desktop->messageBox.Show(desktop->engine.Failure(), "Murmel Alarm", MessageBoxButtons::Ok,
                                 MessageBoxIcon::Error);
        code = 1;
    }
    desktop.reset();
    return code;
}
