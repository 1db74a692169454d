#include "app/CMainApp.h"

#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "platform/Messages.h"

CMainApp::CMainApp(ISingleInstance& instance, std::function<Ports&()> openDesktop)
    : m_instance(instance), m_openDesktop(std::move(openDesktop)) {}

int CMainApp::Run() {
    if (InitInstance()) return 0;
    return ExitInstance();
}

bool CMainApp::InitInstance() {
    // Nothing of the user's is touched before this: a second start leaves
    // no window, no tray icon and no settings access behind.
    if (!m_instance.AcquireOrActivate()) return true;

    Ports& ports = m_openDesktop();
    UseSettingsStore(&ports.store, &ports.profile);
    LoadSettings(ports.store, ports.profile, ports.module, AppSettings);
    SetDisplayLanguage(&ports.language);

    CMainDlg dlg(ports);
    m_instance.OnActivation([&] { ports.loop.Post(dlg.Handle(), UWM_ACTIVATE); });
    dlg.DoModal();
    m_instance.OnActivation(nullptr);
    return false;
}

int CMainApp::ExitInstance() {
    UseSettingsStore(nullptr, nullptr);
    SetDisplayLanguage(nullptr);
    return 0;
}
