#include "platform/linux/EngineLoader.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/linux/AppIcon.h"
#include "platform/linux/EngineModule.h"

// The engine's libraries look their own symbols up first. Loaded after the
// program, they would otherwise search every library the program has
// loaded, for each of their many thousand relocations, before their own:
// a third or more of the dynamic linking of the UI process's start. What the module takes
// from the program it still finds there, as it is not in the module's own
// scope; what both define is code that does the same and type descriptions
// that compare by name.
//
// Not when something stands in for the C library: a preloaded library (a
// memory checker's, a profiler's, another allocator) or a sanitizer's
// runtime. The engine's libraries would call the C library's own functions
// past it, and memory allocated by one and freed by the other would corrupt
// the heap.
int EngineModuleOpenFlags() {
    const int plain = RTLD_NOW | RTLD_LOCAL;
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload && *preload) return plain;
    void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!libc) return plain;
    const bool standIn = dlsym(libc, "malloc") != dlsym(RTLD_DEFAULT, "malloc");
    dlclose(libc);
    return standIn ? plain : plain | RTLD_DEEPBIND;
}

EngineLoader::EngineLoader(std::vector<std::string> candidates, std::string dataDirectory,
                           std::string authorityFile)
    : m_candidates(std::move(candidates)),
      m_dataDirectory(std::move(dataDirectory)),
      m_authorityFile(std::move(authorityFile)) {}

// The module stays loaded to the end of the process: WebKit's libraries do
// not support being unloaded.
EngineLoader::~EngineLoader() = default;

IEngine* EngineLoader::Engine() {
    if (m_engine || !m_failure.empty()) return m_engine.get();
    // The windows' default icon is set here too: nothing before needs it.
    UseAppIcon();
    std::string reasons;
    const int flags = EngineModuleOpenFlags();
    for (const std::string& path : m_candidates) {
        void* module = dlopen(path.c_str(), flags);
        if (!module) {
            reasons += std::string("\n") + dlerror();
            continue;
        }
        auto open = reinterpret_cast<EngineEntry>(dlsym(module, kEngineEntryName));
        IEngine* engine = open ? open(kEngineBuild, m_dataDirectory.c_str(),
                                      m_authorityFile.empty() ? nullptr : m_authorityFile.c_str())
                               : nullptr;
        if (engine) {
            m_engine.reset(engine);
            return engine;
        }
        reasons += "\n" + path + ": not the module of this version of the program";
        dlclose(module);
    }
    m_failure =
        "Murmel Alarm cannot start: its web engine module was not found or does not "
        "fit this program. Installing the program again should mend it.\n" +
        reasons;
    std::fprintf(stderr, "%s\n", m_failure.c_str());
    return nullptr;
}

std::unique_ptr<IHtmlWindow> EngineLoader::Create(const HtmlWindowDescription& spec,
                                                  IHtmlWindowEvents* events) {
    IEngine* engine = Engine();
    return engine ? engine->HtmlWindows().Create(spec, events) : nullptr;
}

void EngineLoader::SetTrustedOrigin(const std::string& origin) {
    if (IEngine* engine = Engine()) engine->HtmlWindows().SetTrustedOrigin(origin);
}

void EngineLoader::GetCookies(const std::string& url,
                              std::function<void(const std::string&)> done) {
    if (IEngine* engine = Engine())
        engine->Browser().GetCookies(url, std::move(done));
    else
        done("");
}

void EngineLoader::EndSession(std::function<void()> done) {
    if (IEngine* engine = Engine())
        engine->Browser().EndSession(std::move(done));
    else
        done();
}

std::vector<std::string> EngineModuleCandidates(const std::string& executable) {
    return ModuleFileCandidates(executable, kEngineModuleName);
}

std::vector<std::string> ModuleFileCandidates(const std::string& executable,
                                              const std::string& name) {
    std::vector<std::string> paths;
    const size_t slash = executable.rfind('/');
    if (slash != std::string::npos) {
        const std::string dir = executable.substr(0, slash);
        paths.push_back(dir + "/" MURMEL_ENGINE_DIR_FROM_BIN "/" + name);
        paths.push_back(dir + "/" + name);
    }
    paths.push_back(MURMEL_ENGINE_DIR "/" + name);
    return paths;
}
