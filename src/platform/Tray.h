#pragma once
// The notification-area icon. Add, Modify and Delete answer as a desktop
// shell would: Add fails while no tray host is there. UI thread only.
#include <functional>
#include <string>
#include <vector>

#include "platform/Types.h"

struct TrayIconData {
    int iconId = 0;       // 128 signed in, 266 signed out, 265 new message
    std::string tooltip;  // at most 127 characters
    bool hidden = false;
};

enum class TrayClick { LeftUp, RightUp, Other };

struct TrayMenuItem {
    unsigned commandId = 0;  // 0: separator
    std::string text;
};

class ITrayEvents {
public:
    virtual ~ITrayEvents() = default;
    // A button was released on the icon.
    virtual void OnTrayClick(TrayClick click, Point at) {}
    // A host that draws the menu itself is about to show it (it comes instead
    // of a RightUp), or asks for it the first time: return its items now.
    // Empty keeps the items of the last PopupMenu.
    virtual std::vector<TrayMenuItem> OnMenuRequest() { return {}; }
    virtual void OnMenuCommand(unsigned commandId) {}
    // A tray host appeared again (the shell restarted).
    virtual void OnHostRestarted() {}
};

class ITray {
public:
    virtual ~ITray() = default;
    virtual void SetEvents(ITrayEvents* events) = 0;
    // Add fails also while the icon is added; Modify and Delete fail while
    // it is not. A host that went away lost the icon: it is no longer added.
    virtual bool Add(const TrayIconData& icon) = 0;
    virtual bool Modify(const TrayIconData& icon) = 0;
    virtual bool Delete() = 0;
    // Shows a menu at the pointer where the host leaves menus to the item.
    virtual void PopupMenu(const std::vector<TrayMenuItem>& items, Point at) = 0;
    // The menu for the state of the moment, kept ready where the host draws
    // menus itself: such a host opens the items it holds and only then asks
    // for them again, too late to change what it shows.
    virtual void SetMenu(const std::vector<TrayMenuItem>& items) = 0;
};
