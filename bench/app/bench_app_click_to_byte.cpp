// Click to first byte: from the click() call on route button 1010 (output 2,
// input 3) to the first byte of "@W 01 02#" being readable on the pty master.
// The benchmark owns the master and acknowledges each frame so the button row
// is enabled again for the next press.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <memory>

#include "BenchSupport.h"
#include "Corvane.h"
#include "CorvaneDlg.h"
#include "MessageBox.h"
#include "PortSetPage.h"

namespace {
constexpr int RUNS = 500;
constexpr int WARMUP = 20;
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    CBenchPty pty;
    if (!pty.IsOpen()) return std::printf("click: no pseudo-terminal\n"), 1;
    PointComPorts(pty.SlavePath());
    MessageBoxScript::Begin();
    InstallSerialErrorSink();

    auto pDlg = std::make_unique<CCorvaneDlg>();
    pDlg->Create(nullptr);
    pDlg->GetSafeHwnd()->show();
    pDlg->GetItem<QAbstractButton>(1001)->click();
    if (pty.Read(8) != "@ R 0e #") return std::printf("click: no load-all request\n"), 1;

    auto* pButton = g_PortSetPage.GetItem<QAbstractButton>(1010);
    std::vector<double> aNs;
    int nBad = 0;
    for (int i = 0; i < WARMUP + RUNS; ++i) {
        SpinUntil([&] { return pButton->isEnabled(); });
        QElapsedTimer timer;
        timer.start();
        pButton->click();
        pollfd pfd{pty.Master(), POLLIN, 0};
        const int nReady = ::poll(&pfd, 1, 2000);
        const qint64 nNs = timer.nsecsElapsed();
        const std::string strFrame = pty.Read(9);
        if (nReady <= 0 || strFrame != "@W 01 02#") ++nBad;
        else if (i >= WARMUP) aNs.push_back(static_cast<double>(nNs));
        pty.Write("@09 01#");
    }
    SpinUntil([&] { return pButton->isEnabled(); });
    PrintFigures("click to first byte", aNs, "us", 1e3);
    std::printf("click to first byte wrong frames: %d count\n", nBad);
    pDlg->Shutdown();
    MessageBoxScript::End();
    return 0;
}
