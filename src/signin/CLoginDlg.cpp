#include "signin/CLoginDlg.h"

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "controller/SessionState.h"
#include "platform/Messages.h"

CLoginDlg::~CLoginDlg() {
    Destroy();
}

void CLoginDlg::Create(IHtmlWindowFactory& factory, IEventLoop& loop, WindowHandle mainWnd) {
    m_loop = &loop;
    m_hMainWnd = mainWnd;
    m_alarmText = LoadText(184);
    HtmlWindowSpec spec;
    // No page and no load of its own: the controller's navigation to the
    // sign-in page is the window's first load. Loads issued back to back on
    // a view whose web process is still starting, each to another site
    // than the one before, can leave the last one started in a process the
    // engine has already dropped: the sign-in page is then never asked for.
    spec.resourceId = 0;
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
}

void CLoginDlg::Destroy() {
    m_window.reset();
}

void CLoginDlg::OnExternalCall(const std::string& method, const StringList& args) {
    if (method != "SigninReady" && method != "SigninOk" && method != "ScriptToApp") return;
    if (g_pMainDlg) g_pMainDlg->OnExternalCall(method, args);
}

void CLoginDlg::OnDocumentComplete(const std::string& url, bool) {
    if (g_pMainDlg) g_pMainDlg->OnWebClientDocumentComplete(url);
}

void CLoginDlg::OnPageLost(bool reloading) {
    if (g_pMainDlg) g_pMainDlg->Session().OnWebClientLost(reloading);
}

void CLoginDlg::OnForeignDocument(const std::string& url) {
    if (g_pMainDlg) g_pMainDlg->Session().OnWebClientForeignPage();
}

void CLoginDlg::OnLinkOut(const std::string& url) {
    if (g_pMainDlg) g_pMainDlg->OnWebClientLinkOut(url);
}

void CLoginDlg::OnCloseRequest() {
    if (m_loop) m_loop->Post(m_hMainWnd, UWM_HOST_CLOSED);
    if (m_window) m_window->Hide();
}

void CLoginDlg::OnActivate(bool active) {
    m_active = active ? 1 : 0;
}
