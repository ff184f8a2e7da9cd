// A change reaching the last of 50 WebSocket clients: from the HTTP route
// request until the routing change has arrived at all 50 event sockets
// (the switcher's confirmation included), and from the first socket's copy
// to the last one's. 100 changes; medians and p95.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>
#include <vector>

#include "bench/gateway/BenchGateway.h"
#include "bench/BenchStats.h"

namespace {

constexpr int kClients = 50;
constexpr int kChanges = 100;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    GatewayRig rig;
    if (!rig.Start({"--serial-poll-ms", "60000"})) return 1;

    QElapsedTimer clock;
    int nArrived = 0;
    qint64 nFirstAt = 0, nLastAt = 0;
    std::vector<std::unique_ptr<EventsClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<EventsClient>(rig.gw));
        QObject::connect(&clients.back()->Socket(), &QWebSocket::textMessageReceived, [&](const QString& text) {
            if (!text.contains(QStringLiteral("\"what\":\"routing\""))) return;
            const qint64 nAt = clock.nsecsElapsed();
            if (nArrived++ == 0) nFirstAt = nAt;
            nLastAt = nAt;
        });
    }
    if (!WaitUntil([&] {
            for (const auto& c : clients)
                if (c->messages.isEmpty()) return false;
            return true;
        })) {
        std::fprintf(stderr, "bench_gateway_fanout: not every client was sent the state\n");
        return 1;
    }

    ApiClient client(rig.gw, "bench");
    std::vector<double> toLast, spread;
    for (int i = 0; i < kChanges; ++i) {
        nArrived = 0;
        clock.start();
        const QByteArray body = i % 2 ? R"({"input": 1})" : R"({"input": 2})";
        const HttpAnswer a = client.Put(QStringLiteral("/api/v1/outputs/1"), body);
        if (a.status != 200 || !WaitUntil([&] { return nArrived == kClients; })) {
            std::fprintf(stderr, "bench_gateway_fanout: change %d reached %d of %d clients\n", i, nArrived, kClients);
            return 1;
        }
        toLast.push_back(static_cast<double>(nLastAt));
        spread.push_back(static_cast<double>(nLastAt - nFirstAt));
    }
    PrintFigures("gateway route to last of 50 websocket clients", toLast, "ms", 1e6);
    PrintFigures("gateway first to last of 50 websocket clients", spread, "ms", 1e6);
    return 0;
}
