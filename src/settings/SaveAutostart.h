#pragma once
// Starting the program with the desktop, as the settings window stores it.
#include "platform/Autostart.h"
#include "platform/System.h"

// Points the entry at the running executable when `start`, removes it
// otherwise. Failures are not reported: the settings window shows the real
// state the next time it opens.
void SaveAutostart(IAutostart& autostart, IModulePath& module, bool start);
