#include "platform/linux/EngineEnvironment.h"

#include <glib.h>

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

}  // namespace

void UseEngineEnvironment() {
    for (const Variable& variable : kVariables) {
        if (g_getenv(variable.name)) continue;
        g_setenv(variable.name, variable.value, TRUE);
        g_set.emplace_back(variable.name);
    }
}

const StringList& EngineVariablesSet() {
    return g_set;
}
