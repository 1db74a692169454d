#include "platform/linux/WindowShape.h"

#include <algorithm>
#include <cmath>

void ShapeRoundedWindow(GtkWidget* window, int width, int height, int ellipseWidth,
                        int ellipseHeight) {
    if (width <= 0 || height <= 0) return;
    if (ellipseWidth <= 0 || ellipseHeight <= 0) {
        gtk_widget_shape_combine_region(window, nullptr);
        return;
    }
    const double rx = std::min(ellipseWidth, width) / 2.0;
    const double ry = std::min(ellipseHeight, height) / 2.0;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A1, width, height);
    cairo_t* cr = cairo_create(mask);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    const auto corner = [&](double cx, double cy, double from) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
        cairo_restore(cr);
    };
    cairo_new_path(cr);
    corner(width - rx, ry, -M_PI / 2);
    corner(width - rx, height - ry, 0);
    corner(rx, height - ry, M_PI / 2);
    corner(rx, ry, M_PI);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
    gtk_widget_shape_combine_region(window, region);
    cairo_region_destroy(region);
    cairo_surface_destroy(mask);
}
