// The gateway idle while it polls: CPU (percent of one core) and resident
// memory, over UDP (the change counter every second) for 30 s and on a pty
// (the routing every 2 s) for 20 s, against corvane-sim, one events client
// connected as a page would be.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <unistd.h>

#include "bench/gateway/BenchGateway.h"

namespace {

void Measure(GatewayProcess& gw, const char* pszLink, int nSeconds) {
    EventsClient page(gw);
    WaitUntil([&] { return !page.messages.isEmpty(); });
    PumpFor(2000);  // past the start's reads
    const qint64 pid = gw.Process().processId();
    QElapsedTimer wall;
    wall.start();
    const double dCpu0 = CpuSeconds(pid);
    PumpFor(nSeconds * 1000);
    const double dCpu = CpuSeconds(pid) - dCpu0;
    const double dWall = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    std::printf("gateway idle cpu %s: %.3f %% of a core\n", pszLink, 100.0 * dCpu / dWall);
    std::printf("gateway idle rss %s: %.1f MiB\n", pszLink, RssMiB(pid));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    {
        const QString address = QString::fromStdString(FreeLoopbackAddress());
        CSimProcess sim;
        SimStart start = SimStart::Quiet();
        start.aArgs = {QStringLiteral("--udp"), address, QStringLiteral("--no-pty")};
        start.aAnnounced = {QStringLiteral("udp")};
        QTemporaryDir dir;
        GatewayProcess gw;
        if (!sim.Start(start) || !gw.Start({"--state", dir.filePath(QStringLiteral("state.json")), "--host", address,
                                            "--local-port", "0"})) {
            std::fprintf(stderr, "bench_gateway_idle: the simulator or the gateway did not start\n");
            return 1;
        }
        ApiClient c(gw);
        if (!WaitUntil([&] { return c.Get(QStringLiteral("/api/v1/state")).json[QStringLiteral("present")].toBool(); },
                       20000))
            return 1;
        Measure(gw, "udp", 30);
    }
    GatewayRig rig;
    if (!rig.Start()) return 1;
    Measure(rig.gw, "pty", 20);
    return 0;
}
