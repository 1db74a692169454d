// The controller's calls into the network operations and the other
// windows, kept apart so that the windows' own files stay small.
#include "controller/CMainDlg.h"

int CMainDlg::CheckVersion() {
    return 0;
}

void CMainDlg::EndHttpSession() {}

void CMainDlg::ShowNotification(const std::string& data, int mode) {}
