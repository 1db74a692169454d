#pragma once
// The controller pointer the web-client window reports through.

class CMainDlg;

// Set during the controller's initialisation, cleared when it is destroyed.
extern CMainDlg* g_pMainDlg;
