// Click to first byte: from the click() call on route button 1010 (output 2,
// input 3) to the first byte of "@W 01 02#" being readable on the pty master.
// The benchmark owns the master and acknowledges each frame so the button row
// is enabled again for the next press.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <memory>

#include "BenchSupport.h"
#include "Corvane.h"
#include "CorvaneDlg.h"
#include "MessageBox.h"
#include "PortSetPage.h"

namespace {
constexpr int RUNS = 300;
constexpr int WARMUP = 20;
constexpr int GROWTH_BLOCK = 100;
constexpr int GROWTH_BLOCKS = 4;
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
    auto* pClear = g_PortSetPage.GetItem<QAbstractButton>(1034);
    int nBad = 0;
    // One press: returns the nanoseconds spent inside click() and until the
    // first byte was readable, or false on a wrong frame.
    auto Press = [&](qint64& nHandlerNs, qint64& nByteNs) {
        SpinUntil([&] { return pButton->isEnabled(); });
        QElapsedTimer timer;
        timer.start();
        pButton->click();
        nHandlerNs = timer.nsecsElapsed();
        pollfd pfd{pty.Master(), POLLIN, 0};
        const int nReady = ::poll(&pfd, 1, 2000);
        nByteNs = timer.nsecsElapsed();
        const std::string strFrame = pty.Read(9);
        pty.Write("@09 01#");
        if (nReady <= 0 || strFrame != "@W 01 02#") {
            ++nBad;
            return false;
        }
        return true;
    };

    // The Port Set log grows by three lines per press and every append
    // rewrites the whole box, so the log is emptied ("Clear") before each
    // measured press; the growth is measured apart below.
    std::vector<double> aByte, aHandler;
    for (int i = 0; i < WARMUP + RUNS; ++i) {
        pClear->click();
        qint64 nHandler = 0, nByte = 0;
        if (Press(nHandler, nByte) && i >= WARMUP) {
            aByte.push_back(static_cast<double>(nByte));
            aHandler.push_back(static_cast<double>(nHandler));
        }
    }
    PrintFigures("click to first byte", aByte, "us", 1e3);
    PrintFigures("click handler (route button, empty log)", aHandler, "us", 1e3);

    // Without "Clear": the handler's cost as the log grows.
    pClear->click();
    for (int nBlock = 1; nBlock <= GROWTH_BLOCKS; ++nBlock) {
        std::vector<double> aBlock;
        for (int i = 0; i < GROWTH_BLOCK; ++i) {
            qint64 nHandler = 0, nByte = 0;
            if (Press(nHandler, nByte)) aBlock.push_back(static_cast<double>(nHandler));
        }
        std::sort(aBlock.begin(), aBlock.end());
        const int nLines = 1 + 3 * nBlock * GROWTH_BLOCK;
        std::printf("click handler median with %d log lines: %.1f us\n", nLines,
                    aBlock.empty() ? 0.0 : aBlock[aBlock.size() / 2] / 1e3);
    }
    SpinUntil([&] { return pButton->isEnabled(); });
    std::printf("click to first byte wrong frames: %d count\n", nBad);
    pDlg->Shutdown();
    MessageBoxScript::End();
    return 0;
}
