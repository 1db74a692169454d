#pragma once
// The engine's variables that suit this process and no other: every page of
// ours is drawn in software, and nothing of ours needs WebKit's memory
// pressure monitor. A browser or other program we start gets the
// environment without them.
#include <string>

#include "platform/Types.h"

// Sets each of them that the user has not set, and names our EGL driver
// that offers no GL (murmel-no-gl.json, found as the engine module is, from
// the program's `executable`) when it is installed and the user has chosen
// no driver. Call before GTK starts.
void UseEngineEnvironment(const std::string& executable);

// The names UseEngineEnvironment set: a value the user gave stays theirs,
// and reaches what we start as it would without us.
const StringList& EngineVariablesSet();
