// Start-up of the main window, in process: from before constructing
// CCorvaneDlg to its first paint, including the 30-port probe. COM1 is a
// pseudo-terminal (one port that opens and is configured); COM2..COM30 keep
// the machine's own mapping (/dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS*).
// The first run pays one-time costs (fonts, styles) and is printed apart.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>
#include <memory>

#include "bench/app/BenchSupport.h"
#include "app/Corvane.h"
#include "app/CorvaneDlg.h"
#include "framework/MessageBox.h"
#include "platform/QtEventLoop.h"

namespace {

constexpr int RUNS = 30;

class CFirstPaint : public QObject {
public:
    bool bPainted = false;
    bool eventFilter(QObject* pObj, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Paint) bPainted = true;
        return QObject::eventFilter(pObj, pEvent);
    }
};

struct Sample {
    qint64 nCreated, nShown, nPainted, nProbe;
};

Sample RunOnce() {
    QElapsedTimer timer;
    timer.start();
    auto pDlg = std::make_unique<CCorvaneDlg>();
    pDlg->Create(nullptr);
    const qint64 nCreated = timer.nsecsElapsed();
    CFirstPaint paint;
    QWidget* pWnd = pDlg->GetSafeHwnd();
    pWnd->installEventFilter(&paint);
    pWnd->show();
    const qint64 nShown = timer.nsecsElapsed();
    SpinUntil([&] { return paint.bPainted; }, 5000);
    const qint64 nPainted = timer.nsecsElapsed();
    pWnd->removeEventFilter(&paint);

    // The probe alone, as the "Search" button runs it.
    QElapsedTimer probe;
    probe.start();
    pDlg->ScanPorts();
    const qint64 nProbe = probe.nsecsElapsed();

    pDlg->Shutdown();
    pDlg.reset();
    QCoreApplication::processEvents();
    return {nCreated, nShown, paint.bPainted ? nPainted : -1, nProbe};
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QtEventLoop::Choose();  // as the programs run
    QApplication app(argc, argv);
    CPtyPair pty;
    if (!pty.IsOpen()) {
        std::printf("startup: no pseudo-terminal\n");
        return 1;
    }
    PointComPort(1, pty.SlavePath());
    MessageBoxScript::Begin();   // a box must not block the benchmark
    InstallSerialErrorSink();

    const Sample cold = RunOnce();
    std::printf("startup cold create (incl. probe): %.2f ms\n", static_cast<double>(cold.nCreated) / 1e6);
    std::printf("startup cold to first paint: %.2f ms\n", static_cast<double>(cold.nPainted) / 1e6);

    std::vector<double> aCreated, aShown, aPainted, aProbe;
    int nUnpainted = 0;
    for (int i = 0; i < RUNS; ++i) {
        const Sample s = RunOnce();
        aCreated.push_back(static_cast<double>(s.nCreated));
        aShown.push_back(static_cast<double>(s.nShown));
        if (s.nPainted < 0) ++nUnpainted;
        else aPainted.push_back(static_cast<double>(s.nPainted));
        aProbe.push_back(static_cast<double>(s.nProbe));
    }
    PrintFigures("startup create (incl. probe)", aCreated, "ms", 1e6);
    PrintFigures("startup shown", aShown, "ms", 1e6);
    PrintFigures("startup to first paint", aPainted, "ms", 1e6);
    PrintFigures("startup port probe (30 ports)", aProbe, "ms", 1e6);
    std::printf("startup runs without paint: %d count\n", nUnpainted);
    std::printf("startup message boxes: %zu count\n", MessageBoxScript::History().size());
    MessageBoxScript::End();
    return 0;
}
