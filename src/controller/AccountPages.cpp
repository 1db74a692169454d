// The controller's reaction to the pages the web-client window loads: the
// service's sign-in error page and the four account pages; and the links
// the web client sends outside.
#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "desktop/OpenInBrowser.h"
#include "platform/Messages.h"

namespace {
struct AccountPage {
    const char* path;
    int action;  // -1: the sign-in error page
};
constexpr AccountPage kPages[] = {
    {"/account/signIn.do", -1},
    {"/account/activation/accountActivationRequestView.do", EmailVerification},
    {"/account/termsAcceptance.do", TermsAcceptance},
    {"/account/userVerifySSN.do", IdentityCheck},
    {"/account/profile/accountProfileEdit.do", ProfileUpdate},
};
}  // namespace

void CMainDlg::OnWebClientDocumentComplete(const std::string& url) {
    for (const AccountPage& page : kPages) {
        if (url.find(page.path) == std::string::npos) continue;
        m_session.AbandonSignIn();
        if (page.action < 0) {
            m_ports.messageBox.Show(LoadText(204), kTitle, MessageBoxButtons::Ok,
                                    MessageBoxIcon::None);
        } else {
            m_accountDlg.m_action = page.action;
            m_accountDlg.DoModal();
        }
        return;
    }
}

// The web-client window stays on the site: links to other sites and new
// windows open outside the program.
void CMainDlg::OnWebClientLinkOut(const std::string& url) {
    OpenLinkOutside(m_ports.shell, url);
}
