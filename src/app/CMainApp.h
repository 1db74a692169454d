#pragma once
// The process: one instance per user, then the controller for the whole
// life of the program.
#include "platform/Ports.h"
#include "platform/SingleInstance.h"

class CMainApp {
public:
    CMainApp(Ports& ports, ISingleInstance& instance);
    // Runs the program; the process exit code.
    int Run();

private:
    // True when another instance runs and was asked to come forward.
    bool InitInstance();
    int ExitInstance();

    Ports& m_ports;
    ISingleInstance& m_instance;
};
