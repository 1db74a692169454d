#pragma once
// Temporary: replaced by the network operations and the tray icon when they
// land.
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"

#include "platform/Tray.h"
#include "platform/Types.h"

class ITrayEvents;
class CSystemTray {
public:
    bool Install(ITrayEvents*, const std::string& tip, int icon) {
        tooltip = tip;
        iconId = icon;
        return true;
    }
    bool RemoveFromTray() { return true; }
    bool RevealIcon() { return true; }
    bool ChangeIcon(int icon) {
        iconId = icon;
        return true;
    }
    std::string tooltip;
    int iconId = 0;
};
