#pragma once
// The logout notice: a small topmost dialog shown when the service ended
// the session.
#include <memory>
#include <string>

#include "platform/NativeDialog.h"

class CPopupDlg : public INativeDialogEvents {
public:
    ~CPopupDlg() override;
    // Creates the dialog hidden.
    void Create(INativeDialogFactory& factory, WindowHandle mainWnd);
    void Destroy();
    INativeDialog* Dialog() const { return m_dialog.get(); }

    WindowHandle m_hMainWnd = 0;
    std::string m_message;
    std::string m_titleSuffix;

private:
    std::unique_ptr<INativeDialog> m_dialog;
};
