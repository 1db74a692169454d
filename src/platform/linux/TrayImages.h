#pragma once
// The tray icon's images for the desktop: the SVGs of the resource bundle
// written out as a small icon theme (for hosts that load icons by name) and
// rendered as ARGB32 pixmaps (for hosts that take pixels).
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gio.h>

#include <string>

class TrayImages {
public:
    // Writes the images under dir, or under the runtime directory when empty.
    explicit TrayImages(std::string dir = {});

    // The theme directory holding the images; empty when writing failed.
    const std::string& ThemePath() const { return m_themePath; }
    // The icon name of an image id; unknown ids get the signed-out image.
    static const char* IconName(int iconId);
    // a(iiay): the image in a few sizes, each pixel A, R, G, B.
    GVariant* Pixmaps(int iconId) const;
    // The image at size x size pixels; nullptr when it cannot be rendered.
    GdkPixbuf* Render(int iconId, int size) const;
    // The same by icon name, for the window icon too.
    static GdkPixbuf* Image(const char* name, int size);

private:
    std::string m_themePath;
};
