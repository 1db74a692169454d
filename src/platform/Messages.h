#pragma once
// The program's numbers: window messages, timers, tray images, tray menus
// and their commands. The controller's own messages keep the numbers other
// windows and a second instance send them by; the menus and commands are
// the ids the string tables name them by.

enum : unsigned {
    WM_CLOSE = 0x0010,

    UWM_TOAST_OPEN = 1010,
    UWM_TOAST_CLOSED = 1012,
    UWM_SIGNIN_RESULT = 1016,
    UWM_SHOW_HOST = 1017,
    UWM_HOST_CLOSED = 1021,
    UWM_NOTICE_DONE = 1022,
    UWM_ACTIVATE = 1023,
    UWM_STARTUP_VERSION_CHECK = 1024,
    UWM_MAKE_WINDOWS = 1025,
};

enum : unsigned {
    TIMER_SIGNIN_WATCHDOG = 1002,
    TIMER_SIGNIN_PAGE = 1003,
    TIMER_PING = 1019,
    TIMER_RELEASE_MEMORY = 1020,
    TIMER_TOAST = 2000,
};

// Tray images.
enum : int {
    ICON_SIGNED_IN = 128,
    ICON_NEW_MESSAGE = 265,
    ICON_SIGNED_OUT = 266,
};

// Tray menus and their commands.
enum : unsigned {
    MENU_SIGNED_IN = 152,
    MENU_SIGNED_OUT = 179,

    ID_OPEN = 32776,
    ID_SETTINGS = 32778,
    ID_QUIT = 32779,
    ID_SIGNIN = 32780,
    ID_QUIT_SIGNED_OUT = 32783,
    ID_EMAIL = 32785,
    ID_SIGNOUT = 32786,
    ID_SETTINGS_SIGNED_OUT = 32791,
};
