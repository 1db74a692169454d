#include "app/CMainApp.h"

#include "config/LoadText.h"
#include "config/Settings.h"
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

    UseSettingsStore(&m_ports.store, &m_ports.profile);
    LoadSettings(m_ports.store, m_ports.profile, m_ports.module, AppSettings);
    SetDisplayLanguage(&m_ports.language);

    CMainDlg dlg(m_ports);
    m_instance.OnActivation([&] { m_ports.loop.Post(dlg.Handle(), UWM_ACTIVATE); });
    dlg.DoModal();
    m_instance.OnActivation(nullptr);
    return false;
}

int CMainApp::ExitInstance() {
    UseSettingsStore(nullptr, nullptr);
    SetDisplayLanguage(nullptr);
    return 0;
}
