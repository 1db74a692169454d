#include "notify/CPopupDlg.h"

#include "controller/PendingConfig.h"

CPopupDlg::~CPopupDlg() {
    Destroy();
}

void CPopupDlg::Create(INativeDialogFactory& factory, WindowHandle mainWnd) {
    m_hMainWnd = mainWnd;
    m_message = LoadText(203);
    m_titleSuffix = LoadText(184);
    NativeDialogSpec spec;
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
