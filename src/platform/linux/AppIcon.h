#pragma once
// The application icon that every window of the program carries.

// Makes the application icon GTK's default for every window made from now
// on (GTK windows, dialogs, message boxes): by its theme name, MURMEL_APP_ID,
// when the icon theme has it, as an installed program's has; else the
// bundled image the installed icon is made from, so that a program run
// from its build tree has it too. Answers the theme name used, or "" when
// the bundled image stands in.
const char* UseAppIcon();
