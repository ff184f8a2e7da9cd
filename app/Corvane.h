#pragma once
// CCorvaneApp: start-up. Installs the error box of the serial driver, runs
// the main window modally and ends the serial link and the windows before
// Qt goes away.
#include "base/WinTypes.h"

class CCorvaneDlg;

class CCorvaneApp {
public:
    // Runs the main window until it closes; returns FALSE so the caller ends
    // the program instead of entering an event loop of its own.
    BOOL InitInstance();

    CCorvaneDlg* m_pMainWnd = nullptr;
};

extern CCorvaneApp theApp;

// The serial driver's "Application Error" box: critical icon, OK, and details
// that name the port and its device (and, for a lost device, what to do).
void InstallSerialErrorSink();
