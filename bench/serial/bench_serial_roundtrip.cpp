// Round trip on a pty: WriteText("@R 04 #") on the GUI thread to the decoded
// Status reply (the Port Set wait ended). The switcher is corvane-sim
// ($CORVANE_SIM, else the one of this build).
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/serial/BenchSupport.h"
#include "tests/support/ComPorts.h"
#include "tests/support/SimProcess.h"
#include "link/ReplyAssembler.h"
#include "platform/QtEventLoop.h"

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // as the programs run
    QCoreApplication app(argc, argv);
    CSimProcess sim;
    if (!sim.Start(SimStart::Quiet())) {
        std::fprintf(stderr, "bench_serial_roundtrip: simulator %s gave no serial path\n",
                     qPrintable(CSimProcess::DefaultProgram()));
        return 1;
    }
    PointComPort(1, sim.SlavePathStd());

    CNoopTarget target;
    CAssemblingOwner owner(target);
    int nResult = 0;
    {
        CSerialPort port;
        if (!port.Setup(&owner, 1) || !port.StartMonitor()) {
            nResult = 1;
        } else {
            constexpr int ROUNDS = 2000;
            std::vector<double> us;
            for (int i = 0; i < ROUNDS + 50 && nResult == 0; ++i) {
                const long nBefore = target.nPortSetEndWaits;
                const auto t0 = std::chrono::steady_clock::now();
                port.WriteText("@R 04 #");
                if (!RunUntil(owner, [&] { return target.nPortSetEndWaits > nBefore; }, 5000)) {
                    std::fprintf(stderr, "bench_serial_roundtrip: no reply to request %d\n", i);
                    nResult = 1;
                }
                const auto t1 = std::chrono::steady_clock::now();
                if (i >= 50) us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            }
            if (nResult == 0) {
                std::sort(us.begin(), us.end());
                PrintFigure("serial round trip median", us[us.size() / 2], "us");
                PrintFigure("serial round trip p99", us[us.size() * 99 / 100], "us");
            }
            port.SignalShutdown();
        }
    }
    return nResult;
}
