// A change reaching the last of 50 WebSocket clients and the last of 16
// router-protocol clients: from the HTTP route request until the routing
// change has arrived at every event socket and every router connection
// (the switcher's confirmation included), and from the first copy of each
// kind to its last. 100 changes; medians and p95.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchStats.h"
#include "bench/gateway/BenchGateway.h"
#include "tests/gateway/RouterPeer.h"

namespace {

constexpr int kWsClients = 50;
constexpr int kRouterClients = 16;
constexpr int kChanges = 100;

// When each client of one kind was sent the current change (-1: not yet).
struct Arrivals {
    explicit Arrivals(int nClients) : at(static_cast<size_t>(nClients), -1) {}
    void Reset() { std::fill(at.begin(), at.end(), -1); }
    void Mark(size_t n, qint64 nAt) {
        if (at[n] < 0) at[n] = nAt;
    }
    int Count() const {
        return static_cast<int>(std::count_if(at.begin(), at.end(), [](qint64 t) { return t >= 0; }));
    }
    bool All() const { return Count() == static_cast<int>(at.size()); }
    double Last() const { return static_cast<double>(*std::max_element(at.begin(), at.end())); }
    double Spread() const { return Last() - static_cast<double>(*std::min_element(at.begin(), at.end())); }

    std::vector<qint64> at;
};

// Connects the router clients and waits for each one's prelude.
bool ConnectRouterClients(GatewayProcess& gw, std::vector<std::unique_ptr<RouterPeer>>& peers) {
    const quint16 port = RouterPeer::PortOf(gw);
    if (port == 0) return false;
    for (int i = 0; i < kRouterClients; ++i) peers.push_back(std::make_unique<RouterPeer>(port));
    for (auto& peer : peers)
        if (peer->Prelude().isEmpty()) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    GatewayRig rig;
    if (!rig.Start({"--serial-poll-ms", "60000"})) return 1;

    QElapsedTimer clock;
    Arrivals ws(kWsClients), router(kRouterClients);
    std::vector<std::unique_ptr<EventsClient>> clients;
    for (int i = 0; i < kWsClients; ++i) {
        clients.push_back(std::make_unique<EventsClient>(rig.gw));
        QObject::connect(&clients.back()->Socket(), &QWebSocket::textMessageReceived, [&, i](const QString& text) {
            if (text.contains(QStringLiteral("\"what\":\"routing\"")))
                ws.Mark(static_cast<size_t>(i), clock.nsecsElapsed());
        });
    }
    if (!WaitUntil([&] {
            for (const auto& c : clients)
                if (c->messages.isEmpty()) return false;
            return true;
        })) {
        std::fprintf(stderr, "bench_gateway_fanout: not every websocket client was sent the state\n");
        return 1;
    }
    std::vector<std::unique_ptr<RouterPeer>> peers;
    if (!ConnectRouterClients(rig.gw, peers)) {
        std::fprintf(stderr, "bench_gateway_fanout: not every router client was sent the prelude\n%s\n",
                     rig.gw.Log().constData());
        return 1;
    }
    // Output 1 (0 on the router protocol) alternates between inputs 2 and 1.
    QByteArray expected;
    for (size_t n = 0; n < peers.size(); ++n) {
        RouterPeer* peer = peers[n].get();
        QObject::connect(&peer->Socket(), &QTcpSocket::readyRead, [&, peer, n] {
            const qint64 nAt = clock.nsecsElapsed();
            for (const QByteArray& block : peer->Take())
                if (block == expected) router.Mark(n, nAt);
        });
    }

    ApiClient client(rig.gw, "bench");
    std::vector<double> wsToLast, wsSpread, routerToLast, routerSpread;
    for (int i = 0; i < kChanges; ++i) {
        const int nInput = i % 2 ? 1 : 2;
        expected = "VIDEO OUTPUT ROUTING:\n0 " + QByteArray::number(nInput - 1);
        ws.Reset();
        router.Reset();
        clock.start();
        const HttpAnswer a =
            client.Put(QStringLiteral("/api/v1/outputs/1"), QStringLiteral("{\"input\": %1}").arg(nInput).toUtf8());
        if (a.status != 200 || !WaitUntil([&] { return ws.All() && router.All(); })) {
            std::fprintf(stderr,
                         "bench_gateway_fanout: change %d (HTTP %d) reached %d of %d websocket and %d of %d router "
                         "clients\n",
                         i, a.status, ws.Count(), kWsClients, router.Count(), kRouterClients);
            return 1;
        }
        wsToLast.push_back(ws.Last());
        wsSpread.push_back(ws.Spread());
        routerToLast.push_back(router.Last());
        routerSpread.push_back(router.Spread());
    }
    const std::string wsName = "last of " + std::to_string(kWsClients) + " websocket clients";
    const std::string routerName = "last of " + std::to_string(kRouterClients) + " router clients";
    PrintFigures(("gateway route to " + wsName).c_str(), wsToLast, "ms", 1e6);
    PrintFigures(("gateway first to " + wsName).c_str(), wsSpread, "ms", 1e6);
    PrintFigures(("gateway route to " + routerName).c_str(), routerToLast, "ms", 1e6);
    PrintFigures(("gateway first to " + routerName).c_str(), routerSpread, "ms", 1e6);
    return 0;
}
