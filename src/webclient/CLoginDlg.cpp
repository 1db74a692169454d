#include "webclient/CLoginDlg.h"

#include "config/LoadText.h"

CLoginDlg::~CLoginDlg() {
    Destroy();
}

void CLoginDlg::Create(IHtmlWindowFactory& factory, WebClientEvents events) {
    m_events = std::move(events);
    HtmlWindowDescription spec;
    // No page and no load of its own: the owner's navigation to the
    // sign-in page is the window's first load. Loads issued back to back on
    // a view whose web process is still starting, each to another site
    // than the one before, can leave the last one started in a process the
    // engine has already dropped: the sign-in page is then never asked for.
    spec.resourceId = 0;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.title = "Murmel " + LoadText(184);
    spec.decorated = true;
    spec.resizable = true;
    spec.ownWebProcess = true;
    m_window = factory.Create(spec, this);
    m_window->Resize(kWidth, kHeight);
    m_window->Center();
    m_active = true;
}

void CLoginDlg::Destroy() {
    m_window.reset();
}

void CLoginDlg::OnExternalCall(const std::string& method, const StringList& args) {
    if (method != "SigninReady" && method != "SigninOk" && method != "ScriptToApp") return;
    if (m_events.externalCall) m_events.externalCall(method, args);
}

void CLoginDlg::OnDocumentComplete(const std::string& url, bool) {
    if (m_events.documentComplete) m_events.documentComplete(url);
}

void CLoginDlg::OnPageLost(bool reloading) {
    if (m_events.pageLost) m_events.pageLost(reloading);
}

void CLoginDlg::OnForeignDocument(const std::string& url) {
    if (m_events.foreignPage) m_events.foreignPage(url);
}

void CLoginDlg::OnLinkOut(const std::string& url) {
    if (m_events.linkOut) m_events.linkOut(url);
}

void CLoginDlg::OnCloseRequest() {
    if (m_events.closed) m_events.closed();
    if (m_window) m_window->Hide();
}

void CLoginDlg::OnActivate(bool active) {
    m_active = active;
}
