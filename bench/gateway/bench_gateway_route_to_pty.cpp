// An HTTP route request (PUT /api/v1/outputs/1) to the first byte of its
// frame on the pty: the bench sits between the gateway and corvane-sim as a
// relay of two pseudo-terminals and notes when the route frame arrives from
// the gateway. The routing poll is set to its longest so that no poll frame
// is in flight ahead of the route. 300 requests on one kept-alive connection.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "bench/gateway/BenchGateway.h"
#include "bench/BenchStats.h"
#include "tests/support/PtyPair.h"

namespace {

constexpr int kRequests = 300;

// Bytes from the gateway's pty to the simulator's and back; notes the time
// of the first read that carries a route frame.
class PtyRelay {
public:
    bool Open(const QString& simDevice) {
        m_nSim = ::open(simDevice.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_nSim < 0 || !m_front.IsOpen()) return false;
        termios tio{};
        ::tcgetattr(m_nSim, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_nSim, TCSANOW, &tio);
        ::fcntl(m_front.Master(), F_SETFL, ::fcntl(m_front.Master(), F_GETFL) | O_NONBLOCK);
        m_fromGateway = std::make_unique<QSocketNotifier>(m_front.Master(), QSocketNotifier::Read);
        m_fromSim = std::make_unique<QSocketNotifier>(m_nSim, QSocketNotifier::Read);
        QObject::connect(m_fromGateway.get(), &QSocketNotifier::activated, [this] {
            const QByteArray ab = Pass(m_front.Master(), m_nSim);
            if (m_pClock && m_nRouteAt < 0 && ab.contains("@W")) m_nRouteAt = m_pClock->nsecsElapsed();
        });
        QObject::connect(m_fromSim.get(), &QSocketNotifier::activated, [this] { Pass(m_nSim, m_front.Master()); });
        return true;
    }
    ~PtyRelay() {
        m_fromGateway.reset();
        m_fromSim.reset();
        if (m_nSim >= 0) ::close(m_nSim);
    }
    QString GatewaySide() const { return QString::fromStdString(m_front.SlavePath()); }
    // Starts watching for the next route frame against clock.
    void Arm(const QElapsedTimer& clock) {
        m_pClock = &clock;
        m_nRouteAt = -1;
    }
    qint64 RouteAt() const { return m_nRouteAt; }

private:
    static QByteArray Pass(int nFrom, int nTo) {
        char buf[512];
        const ssize_t n = ::read(nFrom, buf, sizeof buf);
        if (n <= 0) return {};
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(nTo, buf + done, static_cast<size_t>(n - done));
            if (w > 0) done += w;
        }
        return QByteArray(buf, static_cast<int>(n));
    }

    CPtyPair m_front;
    int m_nSim = -1;
    std::unique_ptr<QSocketNotifier> m_fromGateway, m_fromSim;
    const QElapsedTimer* m_pClock = nullptr;
    qint64 m_nRouteAt = -1;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    GatewayRig rig;
    PtyRelay relay;
    if (!rig.StartSim()) return 1;
    if (!relay.Open(rig.sim.SlavePath())) {
        std::fprintf(stderr, "bench_gateway_route_to_pty: the relay did not open\n");
        return 1;
    }
    if (!rig.StartGateway(relay.GatewaySide(), {"--serial-poll-ms", "60000"})) return 1;

    ApiClient client(rig.gw, "bench");
    std::vector<double> toByte, toAnswer;
    for (int i = 0; i < kRequests; ++i) {
        // Output 1 alternates between inputs 2 and 1, so that every request is a change.
        const QByteArray body = i % 2 ? R"({"input": 1})" : R"({"input": 2})";
        QElapsedTimer clock;
        clock.start();
        relay.Arm(clock);
        const HttpAnswer a = client.Put(QStringLiteral("/api/v1/outputs/1"), body);
        const qint64 nAnswered = clock.nsecsElapsed();
        if (a.status != 200 || relay.RouteAt() < 0) {
            std::fprintf(stderr, "bench_gateway_route_to_pty: request %d failed (%d)\n", i, a.status);
            return 1;
        }
        toByte.push_back(static_cast<double>(relay.RouteAt()));
        toAnswer.push_back(static_cast<double>(nAnswered));
    }
    PrintFigures("gateway http route to first byte on pty", toByte, "ms", 1e6);
    PrintFigures("gateway http route to confirmed answer", toAnswer, "ms", 1e6);
    return 0;
}
