#pragma once
// The main window of the application as the benchmarks start it: shown, and
// connected on COM1 to the benchmark's pseudo-terminal for the click and
// reply benchmarks.
#include <QAbstractButton>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "bench/app/BenchSupport.h"
#include "app/Corvane.h"
#include "app/CorvaneDlg.h"
#include "resources/Dlg102_MainIds.h"
#include "resources/Dlg130_PortSetIds.h"
#include "framework/MessageBox.h"

// The main window shown, with no message box or serial error able to block
// the benchmark.
inline std::unique_ptr<CCorvaneDlg> ShowMainWindow() {
    MessageBoxScript::Begin();
    InstallSerialErrorSink();
    auto pDlg = std::make_unique<CCorvaneDlg>();
    pDlg->Create(nullptr);
    pDlg->GetSafeHwnd()->show();
    return pDlg;
}

// Null (with the reason printed) when the pty is missing or Connect did not
// send the load-all request.
inline std::unique_ptr<CCorvaneDlg> StartConnected(CPtyPair& pty, const char* pszWho) {
    if (!pty.IsOpen()) {
        std::printf("%s: no pseudo-terminal\n", pszWho);
        return nullptr;
    }
    PointComPortsNowhere();
    PointComPort(1, pty.SlavePath());
    auto pDlg = ShowMainWindow();
    pDlg->GetItem<QAbstractButton>(Dlg102::IDC_CONNECT)->click();
    if (pty.Read(8) != "@ R 0e #") {
        std::printf("%s: no load-all request\n", pszWho);
        return nullptr;
    }
    return pDlg;
}
