#include "signin/LoginErrorDlg.h"

#include "controller/PendingConfig.h"

LoginErrorDlg::~LoginErrorDlg() {
    Destroy();
}

void LoginErrorDlg::Create(INativeDialogFactory& factory, WindowHandle mainWnd) {
    m_hMainWnd = mainWnd;
    NativeDialogSpec spec;
    spec.title = "Murmel " + LoadText(184);
    spec.okLabel = LoadText(210);
    spec.cancelLabel = LoadText(183);
    m_dialog = factory.Create(spec, this);
    m_dialog->Hide();
}

void LoginErrorDlg::Destroy() {
    m_dialog.reset();
}
