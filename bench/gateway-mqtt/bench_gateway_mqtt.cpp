// corvane-gateway's MQTT front-end through a local mosquitto against
// corvane-sim: (1) a command published to its frame on the pty, seen by a
// relay between the gateway's pty and the simulator's; (2) a change made on
// the simulator (over its UDP side) to the retained output state at a
// subscriber, which the gateway finds by polling the routing.
#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "bench/BenchStats.h"
#include "tests/gateway/GatewayClient.h"
#include "tests/gateway/MqttBroker.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SimProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int POLL_MS = 300;
constexpr int COMMAND_SAMPLES = 200;
constexpr int CHANGE_SAMPLES = 40;

double NsSince(Clock::time_point t0, Clock::time_point t) {
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(t - t0).count());
}

// Copies bytes both ways between the gateway's pty and the simulator's and
// notes when a route frame from the gateway arrives.
class Relay {
public:
    Relay(int gatewayFd, const std::string& simPath) : m_gw(gatewayFd) {
        m_sim = ::open(simPath.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(m_sim, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_sim, TCSANOW, &t);
        m_thread = std::thread([this] { Run(); });
    }
    ~Relay() {
        m_bStop = true;
        m_thread.join();
        ::close(m_sim);
    }
    std::atomic<long long> lastRouteNs{0};  // steady clock, since its epoch

private:
    void Run() {
        char buf[4096];
        std::string seen;
        while (!m_bStop) {
            pollfd p[2] = {{m_gw, POLLIN, 0}, {m_sim, POLLIN, 0}};
            if (::poll(p, 2, 50) <= 0) continue;
            if (p[0].revents & POLLIN) {
                const ssize_t n = ::read(m_gw, buf, sizeof buf);
                if (n > 0) {
                    seen.append(buf, size_t(n));
                    if (seen.find("@W ") != std::string::npos) lastRouteNs = Clock::now().time_since_epoch().count();
                    if (seen.size() > 64) seen.erase(0, seen.size() - 8);
                    if (seen.find('#') != std::string::npos) seen.clear();
                    (void)!::write(m_sim, buf, size_t(n));
                }
            }
            if (p[1].revents & POLLIN) {
                const ssize_t n = ::read(m_sim, buf, sizeof buf);
                if (n > 0) (void)!::write(m_gw, buf, size_t(n));
            }
        }
    }
    int m_gw;
    int m_sim = -1;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    MqttBroker broker;
    if (!broker.Start()) return std::fprintf(stderr, "bench: mosquitto did not start\n"), 1;
    const QString simUdp = QHostAddress(LoopbackIp(41)).toString();
    SimStart start = SimStart::Quiet();
    start.aArgs = QStringList{"--udp", simUdp};
    start.aAnnounced << QStringLiteral("udp");
    CSimProcess sim;
    if (!sim.Start(start)) return std::fprintf(stderr, "bench: corvane-sim did not start\n"), 1;
    CPtyPair pty;
    Relay relay(pty.Master(), sim.SlavePathStd());
    QTemporaryDir dir;
    GatewayProcess gw;
    if (!gw.Start({"--state", dir.filePath("s.json"), "--port", QString::fromStdString(pty.SlavePath()),
                   "--serial-poll-ms", QString::number(POLL_MS), "--mqtt", broker.Url(), "--mqtt-id", "bench"}))
        return std::fprintf(stderr, "bench: the gateway did not start\n%s", gw.Log().constData()), 1;
    TestMqttClient client(broker, {"corvane/bench/#"});
    if (!client.WaitReady() || !client.WaitFor("corvane/bench/availability", "online", 30000))
        return std::fprintf(stderr, "bench: the gateway is not online\n%s", gw.Log().constData()), 1;

    std::vector<double> commandNs;
    for (int i = 0; i < COMMAND_SAMPLES; ++i) {
        const size_t nAnswers = client.On("corvane/bench/result").size();
        const auto t0 = Clock::now();
        const long long t0Ns = t0.time_since_epoch().count();
        client.Publish("corvane/bench/output/1/set", QByteArray::number(i % 4 + 1));
        if (!WaitUntil([&] { return relay.lastRouteNs > t0Ns; }, 5000)) continue;
        commandNs.push_back(double(relay.lastRouteNs - t0Ns));
        WaitUntil([&] { return client.On("corvane/bench/result").size() > nAnswers; }, 10000);
    }
    PrintFigures("mqtt command to frame on pty", commandNs, "ms", 1e6);

    QUdpSocket panel;
    panel.bind(QHostAddress(LoopbackIp(42)), 0);
    std::vector<double> changeNs;
    for (int i = 0; i < CHANGE_SAMPLES; ++i) {
        const int input = i % 4;
        panel.writeDatagram(QStringLiteral("@W 03 %1#").arg(input, 2, 10, QLatin1Char('0')).toLatin1(),
                            QHostAddress(simUdp), 5000);
        if (!WaitUntil([&] { return panel.hasPendingDatagrams(); }, 5000)) continue;
        const auto t0 = Clock::now();
        while (panel.hasPendingDatagrams()) panel.receiveDatagram();
        if (!client.WaitFor("corvane/bench/output/4", QByteArray::number(input + 1), 5000)) continue;
        changeNs.push_back(NsSince(t0, Clock::now()));
    }
    std::printf("serial poll interval: %d ms\n", POLL_MS);
    PrintFigures("switcher change to retained message", changeNs, "ms", 1e6);
    gw.Stop();
    return 0;
}
