#pragma once
// Window shapes for borderless windows.
#include <gtk/gtk.h>

// Cuts `window` (width x height) to a rectangle whose corners are quarters
// of an ellipse ellipseWidth x ellipseHeight; 0 for either keeps it square.
void ShapeRoundedWindow(GtkWidget* window, int width, int height, int ellipseWidth,
                        int ellipseHeight);
