#pragma once
// The HTML windows and the browser session, from the engine module loaded
// on first use. Loading takes the engine's libraries in, which is why it
// waits: the first call comes once the tray item has been registered.
#include <memory>
#include <string>
#include <vector>

#include "platform/BrowserSession.h"
#include "platform/HtmlWindow.h"

class IEngine;

class EngineLoader : public IHtmlWindowFactory, public IBrowserSession {
public:
    // `candidates`: where the module may be, tried in order.
    EngineLoader(std::vector<std::string> candidates, std::string dataDirectory,
                 std::string authorityFile);
    ~EngineLoader() override;
    EngineLoader(const EngineLoader&) = delete;
    EngineLoader& operator=(const EngineLoader&) = delete;

    // Loads the module, if not yet; false when it could not be.
    bool Load() override { return Engine() != nullptr; }
    // Null windows once the module could not be loaded, which ends the
    // program's start.
    std::unique_ptr<IHtmlWindow> Create(const HtmlWindowDescription& spec,
                                        IHtmlWindowEvents* events) override;
    void SetTrustedOrigin(const std::string& origin) override;
    void GetCookies(const std::string& url, std::function<void(const std::string&)> done) override;
    void EndSession(std::function<void()> done) override;

    // Why the module could not be loaded, for the user; empty while it
    // could be or has not been tried.
    const std::string& Failure() const { return m_failure; }

private:
    IEngine* Engine();

    std::vector<std::string> m_candidates;
    std::string m_dataDirectory;
    std::string m_authorityFile;
    std::unique_ptr<IEngine> m_engine;
    std::string m_failure;
};

// Where an installed program's file `name` of its module directory is,
// relative to its executable first (a tree installed under another prefix,
// a package unpacked elsewhere), then beside the executable (the build
// tree), then the configured place.
std::vector<std::string> ModuleFileCandidates(const std::string& executable,
                                              const std::string& name);
std::vector<std::string> EngineModuleCandidates(const std::string& executable);

// How the module is opened: RTLD_NOW, so that a module that does not fit
// this program is refused at once with the reason, and its own symbols
// first unless something stands in for the C library's.
int EngineModuleOpenFlags();
