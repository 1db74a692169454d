#pragma once
// Every port the core uses, handed to the controller at start-up. The Linux
// adapters fill it in main; unit tests fill it with fakes.
#include "platform/Autostart.h"
#include "platform/BrowserSession.h"
#include "platform/EventLoop.h"
#include "platform/HtmlWindow.h"
#include "platform/MessageBox.h"
#include "platform/NativeDialog.h"
#include "platform/NotificationPolicy.h"
#include "platform/SettingsStore.h"
#include "platform/System.h"
#include "platform/Tray.h"

struct Ports {
    IEventLoop& loop;
    IHtmlWindowFactory& htmlWindows;
    INativeDialogFactory& dialogs;
    IMessageBox& messageBox;
    ITray& tray;
    IKeyValueStore& store;
    IProfileFile& profile;
    IModulePath& module;
    ISound& sound;
    IShell& shell;
    INetworkStatus& network;
    IBrowserSession& browser;
    IClock& clock;
    IDisplayLanguage& language;
    IDesktop& desktop;
    IAutostart& autostart;
    INotificationPolicy& notificationPolicy;
    IMemory& memory;
};
