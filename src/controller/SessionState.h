#pragma once
// The process-wide session state and the controller pointer.

enum SessionState { SignedOut = 0, SigningIn = 1, SignedIn = 2 };

class CMainDlg;

extern SessionState g_sessionState;
// Set during the controller's initialisation, cleared when it is destroyed.
extern CMainDlg* g_pMainDlg;
