#pragma once
// The logout notice: a small topmost dialog shown when the service ended
// the session.
#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "platform/NativeDialog.h"

class CPopupDlg : public INativeDialogEvents {
public:
    ~CPopupDlg() override;
    // Creates the dialog hidden.
    void Create(INativeDialogFactory& factory, IEventLoop& loop, WindowHandle mainWnd);
    void Destroy();
    INativeDialog* Dialog() const { return m_dialog.get(); }
    // Shows the notice in front of everything.
    void ShowNotice();

    // OK (or Enter) asks the controller to get ready for a new sign-in
    // and show the login window; Escape or the window manager's close asks
    // it to get ready without showing anything (wParam 1 and 0 of
    // UWM_NOTICE_DONE).
    void OnButton(DialogButton button) override;
    void OnDismiss() override;

    WindowHandle m_hMainWnd = 0;
    std::string m_message;
    std::string m_titleSuffix;

private:
    IEventLoop* m_loop = nullptr;
    std::unique_ptr<INativeDialog> m_dialog;
};
