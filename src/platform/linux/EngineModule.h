#pragma once
// The web engine's adapters are a module of their own (murmel-engine.so),
// loaded when the first window is made. WebKit's libraries take about a
// tenth of a second to load, and the tray item needs none of them.
#include "platform/BrowserSession.h"
#include "platform/HtmlWindow.h"

class IEngine {
public:
    virtual ~IEngine() = default;
    virtual IHtmlWindowFactory& HtmlWindows() = 0;
    virtual IBrowserSession& Browser() = 0;
};

// What the program and the module must agree on: the program's version
// (an upgrade may replace the module while an older program still runs)
// and the interface above.
constexpr const char* kEngineBuild = MURMEL_VERSION "/1";
constexpr const char* kEngineModuleName = "murmel-engine.so";
constexpr const char* kEngineEntryName = "murmel_engine_open";
// Returns null when `build` is not the module's own. `dataDirectory` keeps
// cookies and site data; `authorityFile`, when not null, names a
// certificate authority to trust besides the system's.
using EngineEntry = IEngine* (*)(const char* build, const char* dataDirectory,
                                 const char* authorityFile);
