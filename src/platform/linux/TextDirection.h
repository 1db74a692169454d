#pragma once
// The direction of our pages and GTK dialogs, following the user's language.
#include "platform/System.h"

// From now on our pages are served right to left while the texts of
// `language` read right to left, and GTK widgets made afterwards take that
// direction as their default. `language` must outlive the program's windows.
void UseTextDirection(IDisplayLanguage& language);
