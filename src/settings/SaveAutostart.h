#pragma once
// Starting the program with the desktop, as the settings window stores it.
#include "platform/Autostart.h"
#include "platform/System.h"

// Points the entry at the running executable when `start`, removes it
// otherwise (an entry the user switched off in the desktop stays as it is).
// Failures, a path that names no program among them, are not reported: the
// settings window shows the real state the next time it opens.
void SaveAutostart(IAutostart& autostart, IModulePath& module, bool start);
