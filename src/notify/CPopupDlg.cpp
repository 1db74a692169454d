#include "notify/CPopupDlg.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "platform/Messages.h"

CPopupDlg::~CPopupDlg() {
    Destroy();
}

void CPopupDlg::Create(INativeDialogFactory& factory, IEventLoop& loop, WindowHandle mainWnd) {
    m_loop = &loop;
    m_hMainWnd = mainWnd;
    m_message = LoadText(203);
    m_titleSuffix = LoadText(184);
    NativeDialogDescription spec;
    spec.title = "Murmel " + m_titleSuffix;
    spec.text = m_message;
    spec.okLabel = LoadText(210);
    spec.closeBox = false;
    spec.topmost = true;
    m_dialog = factory.Create(spec, this);
    m_dialog->Hide();
}

void CPopupDlg::Destroy() {
    m_dialog.reset();
}

void CPopupDlg::ShowNotice() {
    if (!m_dialog) return;
    m_dialog->Show();
    m_dialog->SetForeground();
}

void CPopupDlg::OnButton(DialogButton button) {
    if (button != DialogButton::Ok) return OnDismiss();
    if (m_loop) m_loop->Post(m_hMainWnd, UWM_NOTICE_DONE, 1);
    if (m_dialog) m_dialog->Hide();
}

void CPopupDlg::OnDismiss() {
    if (m_dialog) m_dialog->Hide();
    // The web client behind the notice is disabled and its session is
    // gone: the controller gets it ready for the next sign-in all the same,
    // but only OK asks for the login window.
    if (m_loop) m_loop->Post(m_hMainWnd, UWM_NOTICE_DONE, 0);
}
