#include "signin/CLoginDlg.h"

#include "controller/PendingConfig.h"

CLoginDlg::~CLoginDlg() {
    Destroy();
}

void CLoginDlg::Create(IHtmlWindowFactory& factory, WindowHandle mainWnd,
                       const std::string& baseUrl) {
    m_hMainWnd = mainWnd;
    m_alarmText = LoadText(184);
    HtmlWindowSpec spec;
    spec.resourceId = kPageId;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.title = "Murmel " + m_alarmText;
    spec.decorated = true;
    spec.resizable = true;
    spec.ownWebProcess = true;
    m_window = factory.Create(spec, this);
    m_window->Resize(kWidth, kHeight);
    m_window->Center();
    m_active = 1;
    m_window->Navigate(baseUrl + kSignInPath, "");
}

void CLoginDlg::Destroy() {
    m_window.reset();
}
