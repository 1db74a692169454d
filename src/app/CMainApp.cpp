#include "app/CMainApp.h"

#include "controller/CMainDlg.h"
#include "platform/Messages.h"

CMainApp::CMainApp(Ports& ports, ISingleInstance& instance)
    : m_ports(ports), m_instance(instance) {}

int CMainApp::Run() {
    if (InitInstance()) return 0;
    return ExitInstance();
}

bool CMainApp::InitInstance() {
    // Nothing of the user's is touched before this: a second start leaves
    // no window, no tray icon and no settings access behind.
    if (!m_instance.AcquireOrActivate()) return true;

    CMainDlg dlg(m_ports);
    m_instance.OnActivation([&] { m_ports.loop.Post(dlg.Handle(), UWM_ACTIVATE); });
    dlg.DoModal();
    m_instance.OnActivation(nullptr);
    return false;
}

int CMainApp::ExitInstance() {
    return 0;
}
