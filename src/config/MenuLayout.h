#pragma once
// The two tray menus: which commands they hold, in which order. Their texts
// come from the string tables; command 0 is a separator.
#include <span>

inline constexpr unsigned kMenuSignedIn = 152;
inline constexpr unsigned kMenuSignedOut = 179;

inline constexpr unsigned kMenu152Commands[] = {32785, 0, 32776, 32786, 32778, 0, 32779};
inline constexpr unsigned kMenu179Commands[] = {32780, 32791, 0, 32783};

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
