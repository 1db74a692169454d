#pragma once
// Every port as a fake, gathered for the controller's tests.
#include <map>
#include <optional>
#include <string>

#include "fakes/FakeDesktop.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeEventLoop.h"
#include "fakes/FakeHtmlWindow.h"
#include "fakes/FakeKeyValueStore.h"
#include "fakes/FakeProfileFile.h"
#include "platform/Ports.h"

// Interim fakes of the tray and network ports.
class PortsTray : public ITray {
public:
    void SetEvents(ITrayEvents* e) override { events = e; }
    bool Add(const TrayIconData& icon) override {
        current = icon;
        return true;
    }
    bool Modify(const TrayIconData& icon) override {
        current = icon;
        return true;
    }
    bool Delete() override { return true; }
    void PopupMenu(const std::vector<TrayMenuItem>&, Point) override {}
    ITrayEvents* events = nullptr;
    TrayIconData current;
};
class PortsNetwork : public INetworkStatus {
public:
    bool IsOnline() override { return online; }
    bool online = true;
};

struct FakePorts {
    FakeEventLoop loop;
    FakeHtmlWindowFactory htmlWindows;
    FakeNativeDialogFactory dialogs;
    FakeMessageBox messageBox;
    PortsTray tray;
    FakeKeyValueStore store;
    FakeProfileFile profile;
    FakeModulePath module;
    FakeSound sound;
    FakeShell shell;
    PortsNetwork network;
    FakeBrowserSession browser;
    FakeClock clock;
    FakeDisplayLanguage language;
    FakeDesktop desktop;

    Ports ports{loop,  htmlWindows, dialogs, messageBox, tray,  store,    profile, module,
                sound, shell,       network, browser,    clock, language, desktop};
};
