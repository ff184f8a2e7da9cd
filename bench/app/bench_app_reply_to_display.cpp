// Last reply byte to updated display: the benchmark writes "@01 0v" on the pty
// master, waits until the application's reply assembler holds them, then writes the closing '#'
// and measures until Port Set display IDC_DISPLAY_2 shows the new input (events are
// processed in a tight loop meanwhile). v cycles through 0..3 so the text
// changes every time.
#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <memory>

#include "bench/app/BenchApp.h"
#include "bench/app/BenchSupport.h"
#include "app/Corvane.h"
#include "app/CorvaneDlg.h"
#include "framework/MessageBox.h"
#include "pages/PortSetPage.h"
#include "link/ReplyAssembler.h"
#include "platform/QtEventLoop.h"

namespace {
constexpr int RUNS = 500;
constexpr int WARMUP = 20;
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QtEventLoop::Choose();  // as the programs run
    QApplication app(argc, argv);
    CPtyPair pty;
    auto pDlg = StartConnected(pty, "reply");
    if (!pDlg) return 1;

    int nMissed = 0;
    int nUnsettled = 0;
    int nInput = 0;
    // One reply: the head, unmeasured, then the closing '#'. bFullPass: the
    // GUI thread runs every pending event (repaints included) between looks
    // at the display; otherwise it runs only posted events (the hand-off among them), so
    // the figure ends when the text changed, before any repaint.
    auto Reply = [&](bool bFullPass, qint64& nNs) {
        nInput = (nInput + 1) % 4;
        const QString strWant = QString::number(nInput + 1);
        char szHead[16];
        std::snprintf(szHead, sizeof szHead, "@01 %02x", nInput);
        pty.Write(szHead);
        // Not measured: wait until the assembler holds both data bytes of the
        // head, so the figure covers the closing '#' alone.
        if (!SpinUntil([] { return g_nRxState == RX_IN_FRAME && g_nRxCount == 2 && g_bRxHalfByte == 0; }, 2000))
            ++nUnsettled;

        QElapsedTimer timer;
        timer.start();
        pty.Write("#");
        bool bShown = false;
        while (!(bShown = g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_2) == strWant) && timer.elapsed() < 2000) {
            if (bFullPass) QCoreApplication::processEvents();
            else QCoreApplication::sendPostedEvents();
        }
        nNs = timer.nsecsElapsed();
        if (!bShown) ++nMissed;
        return bShown;
    };
    for (bool bFullPass : {false, true}) {
        std::vector<double> aNs;
        for (int i = 0; i < WARMUP + RUNS; ++i) {
            qint64 nNs = 0;
            if (Reply(bFullPass, nNs) && i >= WARMUP) aNs.push_back(static_cast<double>(nNs));
        }
        PrintFigures(bFullPass ? "last reply byte to display (events incl. repaint)" : "last reply byte to display",
                     aNs, "us", 1e3);
    }
    PrintFigures("pty byte to reading thread (floor)", PtyThreadFloor(RUNS), "us", 1e3);
    std::printf("last reply byte to display missed: %d count\n", nMissed);
    std::printf("last reply byte to display head not taken in time: %d count\n", nUnsettled);
    pDlg->Shutdown();
    MessageBoxScript::End();
    return 0;
}
