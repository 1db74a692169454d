#include "notify/CNotiHtmlDlg.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"

CNotiHtmlDlg::~CNotiHtmlDlg() {
    Destroy();
}

void CNotiHtmlDlg::Create(IHtmlWindowFactory& factory, WindowHandle mainWnd) {
    m_left = 0;
    m_top = 0;
    m_closeLabel = LoadText(196);
    m_fillOk = false;
    m_hMainWnd = mainWnd;
    HtmlWindowSpec spec;
    spec.resourceId = kPageId;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.title = "Murmel";
    spec.taskbar = false;
    spec.notification = true;
    spec.topmost = true;
    m_window = factory.Create(spec, this);
}

void CNotiHtmlDlg::Destroy() {
    m_window.reset();
}

void CNotiHtmlDlg::PlaceAt(int left, int top) {
    m_left = left;
    m_top = top;
    if (!m_window) return;
    m_window->SetTopmost(true);
    m_window->Move(left, top);
    m_window->Resize(kWidth, kHeight);
    m_window->Hide();
}
