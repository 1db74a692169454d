#include "settings/SaveAutostart.h"

void SaveAutostart(IAutostart& autostart, IModulePath& module, bool start) {
    if (!start) {
        autostart.DeleteRunEntry();
        return;
    }
    // An entry without a command would start nothing and still read as set.
    const std::string path = module.ExecutablePath();
    if (!path.empty()) autostart.WriteRunEntry(path);
}
