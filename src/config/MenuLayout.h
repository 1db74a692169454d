#pragma once
// The two tray menus: which commands they hold, in which order. Their texts
// come from the string tables; command 0 is a separator.
#include <span>

#include "platform/Messages.h"

inline constexpr unsigned kMenuSignedIn = MENU_SIGNED_IN;
inline constexpr unsigned kMenuSignedOut = MENU_SIGNED_OUT;

inline constexpr unsigned kMenu152Commands[] = {ID_EMAIL,    0, ID_OPEN, ID_SIGNOUT,
                                                ID_SETTINGS, 0, ID_QUIT};
inline constexpr unsigned kMenu179Commands[] = {ID_SIGNIN, ID_SETTINGS_SIGNED_OUT, 0,
                                                ID_QUIT_SIGNED_OUT};

// The commands of a menu in order; empty for an unknown menu.
constexpr std::span<const unsigned> MenuCommands(unsigned menuId) {
    if (menuId == kMenuSignedIn) return kMenu152Commands;
    if (menuId == kMenuSignedOut) return kMenu179Commands;
    return {};
}

// True when the menu holds the command (separators excluded).
constexpr bool IsMenuCommand(unsigned menuId, unsigned commandId) {
    if (commandId == 0) return false;
    for (unsigned c : MenuCommands(menuId)) {
        if (c == commandId) return true;
    }
    return false;
}

// Ids of the string table the program loads.
inline constexpr unsigned kFirstTextId = 161;
inline constexpr unsigned kLastTextId = 211;
