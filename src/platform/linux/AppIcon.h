#pragma once
// The application icon that every window of the program carries.

// Makes the bundled image the installed icon is made from GTK's default
// icon for every window (GTK windows, dialogs, message boxes), so that a
// program run from its build tree has it too. A little later, once the
// first window is up, the icon the desktop's theme has under the name
// MURMEL_APP_ID, as an installed program's, takes its place in every
// window.
void UseAppIcon();
