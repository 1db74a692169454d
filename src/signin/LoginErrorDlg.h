#pragma once
// The account-action dialog: names what the account web site asks of the
// user before the account can be used.
#include <memory>
#include <string>

#include "platform/NativeDialog.h"

class LoginErrorDlg : public INativeDialogEvents {
public:
    ~LoginErrorDlg() override;
    // Creates the dialog hidden.
    void Create(INativeDialogFactory& factory, WindowHandle mainWnd);
    void Destroy();
    INativeDialog* Dialog() const { return m_dialog.get(); }

    WindowHandle m_hMainWnd = 0;
    int m_action = 0;

private:
    std::unique_ptr<INativeDialog> m_dialog;
};
