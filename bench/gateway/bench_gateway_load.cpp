// 20 clients routing 500 times each, all at once, each with its own HTTP
// connection and events socket: every command answered (none refused or
// lost), every route frame on the switcher's line, every client sent the
// same changes ending in the switcher's routing, and the gateway's resident
// memory after the run against before it.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <memory>
#include <vector>

#include "bench/gateway/BenchGateway.h"

namespace {

constexpr int kClients = 20;
constexpr int kRoutesEach = 500;

// One client: routes one request after the other and keeps the routing of
// every change its events socket was sent.
struct LoadClient {
    LoadClient(GatewayProcess& gw, int n)
        : nIndex(n), api(gw, QByteArray("load-") + QByteArray::number(n)), events(gw) {}
    void Next() {
        if (nSent == kRoutesEach) return;
        // Spread over the outputs and inputs so that most routes change something.
        const int nOutput = (nIndex + nSent) % 4 + 1;
        const int nInput = (nIndex + nSent / 4) % 4 + 1;
        ++nSent;
        QNetworkReply* reply = api.Start("PUT", QStringLiteral("/api/v1/outputs/%1").arg(nOutput),
                                         QStringLiteral("{\"input\": %1}").arg(nInput).toUtf8());
        QObject::connect(reply, &QNetworkReply::finished, [this, reply] {
            const int nStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            ++(nStatus == 200 ? nOk : nFailed);
            reply->deleteLater();
            Next();
        });
    }
    QList<QJsonArray> Changes() const {
        QList<QJsonArray> out;
        for (const QJsonObject& m : events.messages) {
            if (m[QStringLiteral("what")].toString() == QStringLiteral("routing"))
                out.append(m[QStringLiteral("state")].toObject()[QStringLiteral("routing")].toArray());
        }
        return out;
    }

    int nIndex;
    ApiClient api;
    EventsClient events;
    int nSent = 0, nOk = 0, nFailed = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    GatewayRig rig;
    if (!rig.Start({"--serial-poll-ms", "60000"}, true)) return 1;  // verbose: the frames it got are counted
    std::vector<std::unique_ptr<LoadClient>> clients;
    for (int i = 0; i < kClients; ++i) clients.push_back(std::make_unique<LoadClient>(rig.gw, i));
    WaitUntil([&] {
        for (const auto& c : clients)
            if (c->events.messages.isEmpty()) return false;
        return true;
    });
    const int nFramesBefore = static_cast<int>(rig.sim.Received().count("@W"));
    const double dRssBefore = RssMiB(rig.Pid());

    QElapsedTimer clock;
    clock.start();
    for (auto& c : clients) c->Next();
    const bool bDone = WaitUntil(
        [&] {
            for (const auto& c : clients)
                if (c->nOk + c->nFailed < kRoutesEach) return false;
            return true;
        },
        600000);
    const double dSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    // The last change's messages may still be on their way.
    ApiClient probe(rig.gw);
    const QJsonArray final = Routing(probe.Get(QStringLiteral("/api/v1/state")));
    WaitUntil([&] {
        for (const auto& c : clients)
            if (c->Changes().isEmpty() || c->Changes().last() != final) return false;
        return true;
    });
    const double dRssAfter = RssMiB(rig.Pid());

    int nOk = 0, nFailed = 0, nSame = 0;
    const QList<QJsonArray> reference = clients[0]->Changes();
    for (const auto& c : clients) {
        nOk += c->nOk;
        nFailed += c->nFailed;
        nSame += c->Changes() == reference ? 1 : 0;
    }
    const int nFrames = static_cast<int>(rig.sim.Received().count("@W")) - nFramesBefore;
    std::printf("gateway load commands answered: %d of %d count\n", nOk, kClients * kRoutesEach);
    std::printf("gateway load commands failed: %d count\n", nFailed + (bDone ? 0 : 1));
    std::printf("gateway load route frames on the line: %d count\n", nFrames);
    std::printf("gateway load changes per client: %lld count\n", static_cast<long long>(reference.size()));
    std::printf("gateway load clients sent every change: %d of %d count\n", nSame, kClients);
    std::printf("gateway load commands per second: %.0f 1/s\n", nOk / dSeconds);
    std::printf("gateway load rss before: %.1f MiB\n", dRssBefore);
    std::printf("gateway load rss after: %.1f MiB\n", dRssAfter);
    return bDone && nFailed == 0 && nSame == kClients && nFrames == nOk ? 0 : 1;
}
