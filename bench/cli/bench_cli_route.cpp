// `corvane-cli route OUT IN` from process start to exit, 100 times each on a
// pty and on loopback UDP against corvane-sim; prints the medians.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "bench/BenchStats.h"
#include "tests/support/SimProcess.h"

namespace {

constexpr int RUNS = 100;

// Median in milliseconds, or -1 when a run failed.
double MedianMs(const QStringList& link) {
    std::vector<double> ms;
    for (int i = 0; i < RUNS; ++i) {
        QProcess cli;
        QElapsedTimer t;
        t.start();
        cli.start(QStringLiteral(CORVANE_CLI_PATH), link + QStringList{"route", QString::number(i % 4 + 1), "2"});
        if (!cli.waitForFinished(20000) || cli.exitCode() != 0) return -1;
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return Median(ms);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString strAddress = QStringLiteral("127.0.7.%1").arg(10 + ::getpid() % 200);
    CSimProcess sim;
    SimStart start = SimStart::Quiet();
    start.aArgs = {QStringLiteral("--udp"), strAddress};
    start.aAnnounced << QStringLiteral("udp");
    if (!sim.Start(start)) {
        std::fprintf(stderr, "bench_cli_route: simulator did not start\n");
        return 1;
    }
    const double dPty = MedianMs({"--port", sim.SlavePath()});
    const double dUdp = MedianMs({"--host", strAddress, "--local-port", QString::number(30000 + ::getpid() % 20000)});
    std::printf("cli route pty median: %.1f ms\n", dPty);
    std::printf("cli route udp median: %.1f ms\n", dUdp);
    return dPty < 0 || dUdp < 0 ? 1 : 0;
}
