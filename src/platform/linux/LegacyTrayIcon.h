#pragma once
// The XEmbed tray icon of X11 desktops that have no StatusNotifierWatcher,
// and the tray menu the program pops up itself.
#include <functional>
#include <vector>

#include "platform/Tray.h"
#include "platform/linux/TrayImages.h"

typedef struct _GtkStatusIcon GtkStatusIcon;

class LegacyTrayIcon {
public:
    // An XEmbed tray (the owner of _NET_SYSTEM_TRAY_Sn) runs on our X display.
    static bool HostPresent();

    LegacyTrayIcon(const TrayImages& images, std::function<void(TrayClick, Point)> onClick);
    ~LegacyTrayIcon();
    LegacyTrayIcon(const LegacyTrayIcon&) = delete;
    LegacyTrayIcon& operator=(const LegacyTrayIcon&) = delete;

    void Update(const TrayIconData& icon);

private:
    const TrayImages& m_images;
    std::function<void(TrayClick, Point)> m_onClick;
    GtkStatusIcon* m_icon;
};

// Pops up the items as a menu at `at` (the pointer when it is 0, 0); a
// chosen item's command id goes to onCommand.
void PopupTrayMenu(const std::vector<TrayMenuItem>& items, Point at,
                   std::function<void(unsigned)> onCommand);
