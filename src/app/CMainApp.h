#pragma once
// The process: one instance per user, then the controller for the whole
// life of the program.
#include <functional>

#include "platform/Ports.h"
#include "platform/SingleInstance.h"

class CMainApp {
public:
    // `openDesktop` makes the ports; it is called only once this process is
    // the one instance, so a second start builds nothing and touches nothing.
    CMainApp(ISingleInstance& instance, std::function<Ports&()> openDesktop);
    // Runs the program; the process exit code.
    int Run();

private:
    // True when another instance runs and was asked to come forward.
    bool InitInstance();
    int ExitInstance();

    ISingleInstance& m_instance;
    std::function<Ports&()> m_openDesktop;
};
