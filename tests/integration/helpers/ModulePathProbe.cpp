// Stands in for the program in XdgAutostartTest, which changes its file on
// disk while it runs. Waits for a line on standard input, then saves the
// start-with-the-desktop choice as checked and prints the executable's path.
#include <cstdio>

#include "platform/linux/ProcModulePath.h"
#include "platform/linux/XdgAutostart.h"
#include "settings/SaveAutostart.h"

int main() {
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) return 1;
    ProcModulePath module;
    XdgAutostart autostart;
    SaveAutostart(autostart, module, true);
    std::printf("%s\n", module.ExecutablePath().c_str());
    return 0;
}
