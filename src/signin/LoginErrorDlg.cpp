#include "signin/LoginErrorDlg.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "net/UrlEncode.h"
#include "platform/Messages.h"

namespace {
constexpr const char* kServiceId = "k4r9t2m7vq";

std::string AccountSite() {
    const char* overridden = std::getenv("MURMEL_ACCOUNT_URL");
    return overridden && *overridden ? overridden : MURMEL_ACCOUNT_URL;
}
}  // namespace

LoginErrorDlg::~LoginErrorDlg() {
    Destroy();
}

void LoginErrorDlg::Create(INativeDialogFactory& factory, IEventLoop& loop, IShell& shell,
                           WindowHandle mainWnd) {
    m_factory = &factory;
    m_loop = &loop;
    m_shell = &shell;
    m_hMainWnd = mainWnd;
    m_dialog = factory.Create(DescriptionFor(m_action), this);
    m_dialog->Hide();
}

void LoginErrorDlg::Destroy() {
    m_dialog.reset();
}

NativeDialogDescription LoginErrorDlg::DescriptionFor(int action) const {
    static const int kMessages[] = {206, 207, 208, 209};
    NativeDialogDescription spec;
    spec.title = "Murmel " + LoadText(184);
    const int index = action >= 0 && action <= 3 ? action : 0;
    spec.text = LoadText(kMessages[index]);
    spec.okLabel = LoadText(action == EmailVerification ? 211 : 210);
    spec.cancelLabel = LoadText(183);
    spec.closeBox = true;
    return spec;
}

void LoginErrorDlg::DoModal() {
    if (!m_factory) return;
    // Each run makes a window of its own with the texts of this action.
    std::unique_ptr<INativeDialog> run = m_factory->Create(DescriptionFor(m_action), this);
    m_running = run.get();
    run->RunModal();
    m_running = nullptr;
}

std::string LoginErrorDlg::CheckAddress(const std::string& accountSite,
                                        const std::string& webBase) {
    const std::string v = UrlEncode(webBase + "/index.html");
    return accountSite + "/account/check.do?registURL=" + v + "&returnURL=" + v +
           "&goBackURL=" + v + "&actionID=StartAP&serviceID=" + kServiceId;
}

void LoginErrorDlg::OnButton(DialogButton button) {
    if (button == DialogButton::Cancel) return OnDismiss();
    m_shell->OpenUrl(CheckAddress(AccountSite(), AppSettings.webClientBaseUrl));
    if (m_running) {
        m_running->Hide();
        m_running->EndModal();
    }
}

void LoginErrorDlg::OnDismiss() {
    m_loop->Post(m_hMainWnd, WM_CLOSE);
    if (m_running) {
        m_running->Hide();
        m_running->EndModal();
    }
}
