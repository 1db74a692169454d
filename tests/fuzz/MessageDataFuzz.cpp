// Feeds arbitrary bytes to the toast stack as new-message events. The first
// byte sets preview and sound; the rest is up to eight events separated by
// 0x1e, each preceded by a byte that moves virtual time on.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/Utf8.h"
#include "controller/CMainDlg.h"
#include "fakes/FakePorts.h"
#include "notify/MessageSummary.h"
#include "notify/NotifyConfig.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    AppSettings.messagePreview = (data[0] & 1) != 0;
    AppSettings.alertSound = (data[0] & 2) != 0;
    AppSettings.soundIndex = std::string(1, static_cast<char>('0' + data[0] % 7));
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    FakePorts fake;
    fake.network.online = false;
    CMainDlg dlg(fake.ports);
    if (!dlg.Create()) std::abort();
    for (FakeHtmlWindow* page : fake.htmlWindows.AllWithPage(CNotiHtmlDlg::kPageId))
        page->CompleteDocument("res:///html/toast.html");

    std::size_t start = 0;
    for (int n = 0; n < 8 && start <= input.size(); ++n) {
        std::size_t end = input.find('\x1e', start);
        if (end == std::string::npos) end = input.size();
        std::string event = input.substr(start, end - start);
        start = end + 1;
        if (!event.empty()) {
            fake.loop.Advance(static_cast<unsigned char>(event[0]) % 8 * 1000u);
            event.erase(0, 1);
        }
        const std::string before = dlg.Toasts().LastSessionId();
        dlg.ShowNotification(event, 2);
        fake.loop.Pump();

        int shown = 0;
        for (const CNotiHtmlDlg& toast : dlg.Toasts()) {
            if (!toast.IsShown()) continue;
            ++shown;
            // A shown toast always holds the message it shows.
            Check(!toast.m_eventData.empty() && toast.m_fillOk);
        }
        Check(shown <= ToastStack::kCount);
        // The session id changes only for JSON data.
        if (dlg.Toasts().LastSessionId() != before) Check(event.find('{') != std::string::npos);
    }
    for (FakeHtmlWindow* page : fake.htmlWindows.AllWithPage(CNotiHtmlDlg::kPageId)) {
        for (const FakeHtmlWindow::Call& call : page->calls) {
            Check(call.name == "setToast" && call.args.size() == 4);
            // A page takes nothing but UTF-8.
            for (const std::string& arg : call.args) Check(IsValidUtf8(arg));
            // The summary line is one line.
            Check(call.args[2].find('\n') == std::string::npos);
        }
    }
    const StringList pieces = SplitText(input, "\x1e");
    Check(input.empty() ? pieces.empty() : pieces.size() >= 1);
    return 0;
}
