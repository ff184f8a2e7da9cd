#pragma once
// The main window of the application, connected on COM1 to the benchmark's
// pseudo-terminal, as the click and reply benchmarks start it.
#include <QAbstractButton>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "BenchSupport.h"
#include "Corvane.h"
#include "CorvaneDlg.h"
#include "Dlg102_MainIds.h"
#include "Dlg130_PortSetIds.h"
#include "MessageBox.h"

// Null (with the reason printed) when the pty is missing or Connect did not
// send the load-all request.
inline std::unique_ptr<CCorvaneDlg> StartConnected(CPtyPair& pty, const char* pszWho) {
    if (!pty.IsOpen()) {
        std::printf("%s: no pseudo-terminal\n", pszWho);
        return nullptr;
    }
    PointComPortsNowhere();
    PointComPort(1, pty.SlavePath());
    MessageBoxScript::Begin();
    InstallSerialErrorSink();
    auto pDlg = std::make_unique<CCorvaneDlg>();
    pDlg->Create(nullptr);
    pDlg->GetSafeHwnd()->show();
    pDlg->GetItem<QAbstractButton>(Dlg102::IDC_CONNECT)->click();
    if (pty.Read(8) != "@ R 0e #") {
        std::printf("%s: no load-all request\n", pszWho);
        return nullptr;
    }
    return pDlg;
}
