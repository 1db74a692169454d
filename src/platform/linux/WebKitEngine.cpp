// The module's entry: the WebKit adapters behind the engine interface.
#include <cstring>
#include <string>
#include <type_traits>

#include "platform/linux/EngineModule.h"
#include "platform/linux/WebKitBrowserSession.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"

namespace {
class WebKitEngine : public IEngine {
public:
    WebKitEngine(const char* dataDirectory, const char* authorityFile)
        : m_windows(dataDirectory), m_browser(m_windows.Context()) {
        if (authorityFile) m_windows.Context().TrustAuthorityFile(authorityFile);
    }
    IHtmlWindowFactory& HtmlWindows() override { return m_windows; }
    IBrowserSession& Browser() override { return m_browser; }

private:
    WebKitHtmlWindowFactory m_windows;
    WebKitBrowserSession m_browser;
};
}  // namespace

extern "C" __attribute__((visibility("default"))) IEngine* murmel_engine_open(
    const char* build, const char* dataDirectory, const char* authorityFile) {
    if (!build || std::strcmp(build, kEngineBuild) != 0) return nullptr;
    return new WebKitEngine(dataDirectory, authorityFile);
}
static_assert(std::is_same_v<decltype(&murmel_engine_open), EngineEntry>);
