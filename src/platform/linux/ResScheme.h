#pragma once
// The res: scheme: serves the pages of ResPages.h to the engine.
#include <webkit2/webkit2.h>

#include "platform/linux/ResPages.h"

// Registers the scheme on `context` as local and secure.
void RegisterResScheme(WebKitWebContext* context);
