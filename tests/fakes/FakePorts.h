#pragma once
// Every port as a fake, gathered for the controller's tests.
#include "fakes/FakeAutostart.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeEventLoop.h"
#include "fakes/FakeHtmlWindow.h"
#include "fakes/FakeKeyValueStore.h"
#include "fakes/FakeNetworkStatus.h"
#include "fakes/FakeNotificationPolicy.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeTray.h"
#include "platform/Ports.h"

struct FakePorts {
    FakeEventLoop loop;
    FakeHtmlWindowFactory htmlWindows;
    FakeNativeDialogFactory dialogs;
    FakeMessageBox messageBox;
    FakeTray tray;
    FakeKeyValueStore store;
    FakeProfileFile profile;
    FakeModulePath module;
    FakeSound sound;
    FakeShell shell;
    FakeNetworkStatus network;
    FakeBrowserSession browser;
    FakeClock clock;
    FakeDisplayLanguage language;
    FakeDesktop desktop;
    FakeAutostart autostart;
    FakeNotificationPolicy notificationPolicy;
    FakeMemory memory;

    Ports ports{loop,
                htmlWindows,
                dialogs,
                messageBox,
                tray,
                store,
                profile,
                module,
                sound,
                shell,
                network,
                browser,
                clock,
                language,
                desktop,
                autostart,
                notificationPolicy,
                memory};
};
