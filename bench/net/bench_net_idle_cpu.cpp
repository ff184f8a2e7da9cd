// CPU of the application while connected over UDP and idle: the window
// connected to corvane-sim on a loopback address, the once-a-second counter
// poll running, the event loop left alone for 30 s. Percent of one core.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

#include "bench/net/BenchNet.h"
#include "tests/support/SimProcess.h"
#include "tests/support/Loopback.h"
#include "platform/QtEventLoop.h"

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // as the programs run
    QApplication app(argc, argv);
    const int nSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::string strSimIp = FreeLoopbackAddress();
    CSimProcess sim;  // verbose: every datagram it receives is logged
    SimStart start;
    start.aArgs = {QStringLiteral("--udp"), QString::fromStdString(strSimIp)};
    start.aAnnounced << QStringLiteral("udp");
    if (!sim.Start(start)) {
        std::printf("idle cpu: the simulator did not start\n");
        return 1;
    }
    auto pDlg = StartNetConnected(HostOrderIp(strSimIp), "idle cpu");
    if (!pDlg) return 1;
    SpinUntil([] { return false; }, 1500);  // the load's follow-ups and the first poll's reload
    const int nPollsBefore = sim.UdpCount("@ R 52 #");

    QEventLoop loop;
    QTimer::singleShot(nSeconds * 1000, &loop, &QEventLoop::quit);
    const auto t0 = std::chrono::steady_clock::now();
    const double dCpu0 = ProcessCpuSeconds();
    loop.exec();
    const double dCpu = ProcessCpuSeconds() - dCpu0;
    const double dWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    std::printf("udp idle cpu: %.3f %% of a core\n", 100.0 * dCpu / dWall);
    std::printf("udp idle cpu wall: %.1f s\n", dWall);
    std::printf("udp idle polls: %d count\n", sim.UdpCount("@ R 52 #") - nPollsBefore);
    pDlg->Shutdown();
    return 0;
}
