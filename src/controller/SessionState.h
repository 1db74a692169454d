#pragma once
// The process-wide session state and the controller pointer.
#include <atomic>

enum SessionState { SignedOut = 0, SigningIn = 1, SignedIn = 2 };

class CMainDlg;

// Changed on the UI thread only; the credential worker reads it.
extern std::atomic<SessionState> g_sessionState;
// Set during the controller's initialisation, cleared when it is destroyed.
extern CMainDlg* g_pMainDlg;
