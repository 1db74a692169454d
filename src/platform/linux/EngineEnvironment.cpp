#include "platform/linux/EngineEnvironment.h"

#include <dlfcn.h>
#include <glib.h>

#include "platform/linux/EngineLoader.h"

namespace {

StringList g_set;

struct Variable {
    const char* name;
    const char* value;
};

constexpr Variable kVariables[] = {
    // Hardware acceleration is off for every view, so GL would only cost
    // start-up time and memory for loading its drivers.
    {"GDK_GL", "disable"},
    {"WEBKIT_DISABLE_DMABUF_RENDERER", "1"},
    // The monitor's thread wakes every one to five seconds for as long as we
    // run and reads /proc/meminfo and the cgroup files a byte at a time,
    // some 130 reads a second: most of what we would cost while idle in the
    // tray. What it buys, caches dropped when the whole system runs short,
    // is little for pages as small as ours.
    {"WEBKIT_DISABLE_MEMORY_PRESSURE_MONITOR", "1"},
};

void Use(const char* name, const char* value) {
    if (g_getenv(name)) return;
    g_setenv(name, value, TRUE);
    g_set.emplace_back(name);
}

// A driver the dispatcher could not load would leave every web process
// without an EGL display, and each would stop as it starts: the desktop's
// driver is better than that. One that loads is kept loaded, as the
// dispatcher loads it in this process in any case.
bool LoadsAsEglDriver(const std::string& library) {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
    if (dlsym(handle, "__egl_Main")) return true;
    dlclose(handle);
    return false;
}

// Without it, WebKit's EGL display in this process and in each web process
// loads the desktop's GL driver: with Mesa some 20 MiB a process and a few
// dozen milliseconds of its start, for GL that no view of ours uses. A user
// who names EGL drivers of their own keeps them.
void UseNoGlDriver(const std::string& executable) {
    if (g_getenv("__EGL_VENDOR_LIBRARY_FILENAMES") || g_getenv("__EGL_VENDOR_LIBRARY_DIRS")) return;
    for (const std::string& file : ModuleFileCandidates(executable, "murmel-no-gl.json")) {
        const std::string directory = file.substr(0, file.rfind('/'));
        if (g_file_test(file.c_str(), G_FILE_TEST_IS_REGULAR) &&
            LoadsAsEglDriver(directory + "/murmel-no-gl.so")) {
            Use("__EGL_VENDOR_LIBRARY_FILENAMES", file.c_str());
            return;
        }
    }
}

}  // namespace

void UseEngineEnvironment(const std::string& executable) {
    for (const Variable& variable : kVariables) Use(variable.name, variable.value);
    UseNoGlDriver(executable);
}

const StringList& EngineVariablesSet() {
    return g_set;
}
