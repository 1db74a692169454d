#pragma once
// The account-action dialog: names what the account web site asks of the
// user before the account can be used. OK opens the site; Cancel ends the
// program.
#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "platform/NativeDialog.h"
#include "platform/System.h"

enum AccountAction {
    EmailVerification = 0,
    TermsAcceptance = 1,
    IdentityCheck = 2,
    ProfileUpdate = 3
};

class LoginErrorDlg : public INativeDialogEvents {
public:
    ~LoginErrorDlg() override;
    // Creates the dialog hidden.
    void Create(INativeDialogFactory& factory, IEventLoop& loop, IShell& shell,
                WindowHandle mainWnd);
    void Destroy();
    INativeDialog* Dialog() const { return m_dialog.get(); }

    // Shows the dialog for m_action and returns when it has closed.
    void DoModal();
    // The account-check address OK opens, for the given web-client base.
    static std::string CheckAddress(const std::string& accountSite, const std::string& webBase);

    void OnButton(DialogButton button) override;
    void OnDismiss() override;

    WindowHandle m_hMainWnd = 0;
    int m_action = EmailVerification;

private:
    NativeDialogDescription DescriptionFor(int action) const;

    INativeDialogFactory* m_factory = nullptr;
    IEventLoop* m_loop = nullptr;
    IShell* m_shell = nullptr;
    std::unique_ptr<INativeDialog> m_dialog;
    INativeDialog* m_running = nullptr;
};
