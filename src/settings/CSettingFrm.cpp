#include "settings/CSettingFrm.h"

CSettingFrm::~CSettingFrm() {
    Destroy();
}

void CSettingFrm::Create(IHtmlWindowFactory& factory, WindowHandle mainWnd) {
    m_hMainWnd = mainWnd;
    HtmlWindowSpec spec;
    spec.resourceId = kPageId;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.title = "Murmel";
    m_window = factory.Create(spec, this);
}

void CSettingFrm::Destroy() {
    m_window.reset();
}

void CSettingFrm::RefreshSettings() {}
