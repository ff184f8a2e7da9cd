// `corvane-cli route OUT IN` from process start to exit, 100 times each on a
// pty and on loopback UDP against corvane-sim; prints the medians.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int RUNS = 100;

struct Sim {
    QProcess proc;
    QString strSlave;
    bool Start(const QStringList& args) {
        proc.start(QStringLiteral(CORVANE_SIM_PATH), args);
        if (!proc.waitForStarted(5000)) return false;
        const bool bUdp = args.contains(QStringLiteral("--udp"));
        bool bUdpReady = false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && (strSlave.isEmpty() || (bUdp && !bUdpReady))) {
            if (!proc.canReadLine()) proc.waitForReadyRead(100);
            while (proc.canReadLine()) {
                const QString line = QString::fromLocal8Bit(proc.readLine()).trimmed();
                if (line.startsWith(QStringLiteral("serial: "))) strSlave = line.mid(8);
                if (line.startsWith(QStringLiteral("udp: "))) bUdpReady = true;
            }
        }
        return !strSlave.isEmpty() && (!bUdp || bUdpReady);
    }
    ~Sim() {
        ::kill(static_cast<pid_t>(proc.processId()), SIGTERM);
        proc.waitForFinished(3000);
    }
};

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
    std::sort(ms.begin(), ms.end());
    return (ms[RUNS / 2 - 1] + ms[RUNS / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString strAddress = QStringLiteral("127.0.7.%1").arg(10 + ::getpid() % 200);
    Sim sim;
    if (!sim.Start({"--udp", strAddress})) {
        std::fprintf(stderr, "bench_cli_route: simulator did not start\n");
        return 1;
    }
    const double dPty = MedianMs({"--port", sim.strSlave});
    const double dUdp = MedianMs({"--host", strAddress, "--local-port", QString::number(30000 + ::getpid() % 20000)});
    std::printf("figure: cli_route_pty_median: %.1f ms\n", dPty);
    std::printf("figure: cli_route_udp_median: %.1f ms\n", dUdp);
    return dPty < 0 || dUdp < 0 ? 1 : 0;
}
