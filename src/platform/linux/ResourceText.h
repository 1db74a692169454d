#pragma once
// Text files embedded from res/ (scripts, D-Bus interface descriptions).
#include <string>

// The file at `path` relative to res/ (e.g. "dbus/dbusmenu.xml"); empty
// when the bundle lacks it.
std::string ResourceText(const std::string& path);
