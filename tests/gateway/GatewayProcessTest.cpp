// corvane-gateway against corvane-sim, on the simulator's pseudo-terminal
// and on UDP, through the HTTP API and the events socket with real clients:
// routes reach the simulator as the right frames and come back confirmed,
// changes made elsewhere reach every client, refusals are clear, the
// simulator killed and started again, the state file kept on SIGTERM.
#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include "tests/gateway/GatewayClient.h"
#include "tests/support/SimProcess.h"

namespace {

QString SimUdpAddress() { return QHostAddress(LoopbackIp(41)).toString(); }

class GatewayProcessTest : public ::testing::Test {
protected:
    // The simulator on a pty reached through a link of our own, so that a
    // simulator started again is found under the same name.
    void StartSim(const QStringList& args = {}) {
        SimStart start;
        start.aArgs = QStringList{"--link", LinkPath()} + args;
        ASSERT_TRUE(sim.Start(start));
    }
    void StartGateway(const QStringList& args) {
        ASSERT_TRUE(gw.Start(QStringList{"--state", StatePath()} + args)) << gw.Log().constData();
    }
    void StartOnPty(const QStringList& gatewayArgs = {}) {
        StartSim();
        StartGateway(QStringList{"--port", LinkPath(), "--serial-poll-ms", "300"} + gatewayArgs);
        WaitPresent();
    }
    void WaitPresent() {
        ApiClient c(gw);
        ASSERT_TRUE(WaitUntil([&] { return c.Get("/api/v1/state").json["present"].toBool(); }, 20000))
            << gw.Log().constData();
    }
    QString LinkPath() const { return dir.filePath(QStringLiteral("com1")); }
    QString StatePath() const { return dir.filePath(QStringLiteral("state.json")); }

    QTemporaryDir dir;
    CSimProcess sim;
    GatewayProcess gw;
};

TEST_F(GatewayProcessTest, ARouteReachesTheSwitcherAndEveryClientSeesItConfirmed) {
    StartOnPty();
    EventsClient watcher(gw), other(gw);
    ASSERT_TRUE(WaitUntil([&] { return !watcher.messages.isEmpty() && !other.messages.isEmpty(); }));
    EXPECT_EQ(watcher.messages[0]["type"].toString(), "state");
    EXPECT_EQ(watcher.messages[0]["state"].toObject()["name"].toString(), "CORVANE MATRIX");
    EXPECT_TRUE(gw.Log().contains("events client")) << "clients are logged";

    ApiClient alice(gw, "alice");
    const HttpAnswer a = alice.Put("/api/v1/outputs/2", R"({"input": 4})");
    ASSERT_EQ(a.status, 200) << a.json["error"].toObject()["message"].toString().toStdString();
    EXPECT_EQ(Routing(a), QJsonArray({1, 4, 3, 4}));
    EXPECT_TRUE(sim.Received().contains("@W 01 03#"));
    for (EventsClient* c : {&watcher, &other}) {
        ASSERT_TRUE(c->WaitForChange("routing"));
        const QJsonObject change = c->messages[c->FindChange("routing")];
        EXPECT_EQ(change["by"].toString(), "alice");
        EXPECT_EQ(change["state"].toObject()["routing"].toArray(), QJsonArray({1, 4, 3, 4}));
    }

    // A salvo goes out in output order; a preset saves and applies one.
    ASSERT_EQ(alice.Put("/api/v1/presets/Show%201").status, 200);
    EXPECT_EQ(Routing(alice.Put("/api/v1/routing", R"({"routing": [2, 2, 2, 2]})")), QJsonArray({2, 2, 2, 2}));
    EXPECT_TRUE(sim.Received().contains("@W 00 01#@W 01 01#@W 02 01#@W 03 01#"));
    const HttpAnswer applied = alice.Post("/api/v1/presets/Show%201/apply");
    EXPECT_EQ(Routing(applied), QJsonArray({1, 4, 3, 4}));
    EXPECT_EQ(alice.Get("/api/v1/presets").json["presets"].toObject()["Show 1"].toArray(), QJsonArray({1, 4, 3, 4}));

    // Labels, EDID and the name.
    EXPECT_EQ(
        alice.Put("/api/v1/labels/inputs/3", R"({"label": "Laptop"})").json["labels"].toObject()["inputs"].toArray()[2],
        "Laptop");
    EXPECT_EQ(alice.Put("/api/v1/inputs/1/edid", R"({"mode": 2, "flags": 165})")
                  .json["edid"]
                  .toArray()[0]
                  .toObject()["flags"],
              165);
    EXPECT_TRUE(sim.Received().contains("@ W 05 02 a5 #"));
    EXPECT_EQ(alice.Put("/api/v1/name", R"({"name": "HALL 2"})").json["name"].toString(), "HALL 2");
}

TEST_F(GatewayProcessTest, RefusalsAreClearJsonAndSendNothing) {
    StartOnPty();
    ApiClient alice(gw, "alice"), bob(gw, "bob");
    const QByteArray before = sim.Received();
    struct Case {
        QByteArray verb;
        QString path;
        QByteArray body;
        int status;
        QString code;
    };
    const Case cases[] = {
        {"PUT", "/api/v1/outputs/1", "{\"input\": ", 400, "bad_request"},
        {"PUT", "/api/v1/outputs/1", "[1]", 400, "bad_request"},
        {"PUT", "/api/v1/outputs/1", R"({"input": "2"})", 400, "bad_request"},
        {"PUT", "/api/v1/outputs/1", R"({"input": 1.5})", 400, "bad_request"},
        {"PUT", "/api/v1/outputs/1", R"({"input": 9})", 400, "bad_request"},
        {"PUT", "/api/v1/outputs/5", R"({"input": 1})", 404, "not_found"},
        {"PUT", "/api/v1/outputs/0", R"({"input": 1})", 404, "not_found"},
        {"PUT", "/api/v1/routing", R"({"routing": [1, 2, 3]})", 400, "bad_request"},
        {"PUT", "/api/v1/inputs/1/edid", R"({"mode": 12})", 400, "bad_request"},
        {"PUT", "/api/v1/name", R"({"name": "a name far too long"})", 400, "bad_request"},
        {"PUT", "/api/v1/labels/outputs/1", R"({"label": 7})", 400, "bad_request"},
        {"POST", "/api/v1/presets/none/apply", "{}", 404, "not_found"},
        {"DELETE", "/api/v1/presets/none", "", 404, "not_found"},
        {"PUT", "/api/v1/outputs/1", QByteArray(20000, ' ') + "{}", 413, "too_large"},
        {"PUT", "/api/v1/outputs/two", R"({"input": 1})", 404, "not_found"},
        {"POST", "/api/v1/state", "{}", 404, "not_found"},
        {"GET", "/nowhere", "", 404, "not_found"},
    };
    for (const Case& c : cases) {
        const HttpAnswer a = alice.Send(c.verb, c.path, c.body);
        EXPECT_EQ(a.status, c.status) << c.verb.constData() << " " << c.path.toStdString() << " "
                                      << c.body.left(40).constData();
        EXPECT_EQ(a.Code(), c.code) << c.path.toStdString();
        EXPECT_FALSE(a.json["error"].toObject()["message"].toString().isEmpty());
    }

    // A lock: only its holder routes the output, until it is forced free.
    ASSERT_EQ(alice.Put("/api/v1/locks/3").status, 200);
    const HttpAnswer locked = bob.Put("/api/v1/outputs/3", R"({"input": 1})");
    EXPECT_EQ(locked.status, 409);
    EXPECT_EQ(locked.Code(), "locked");
    EXPECT_EQ(bob.Delete("/api/v1/locks/3").status, 409);
    EXPECT_EQ(sim.Received(), before) << "nothing reached the switcher";
    EXPECT_EQ(alice.Put("/api/v1/outputs/3", R"({"input": 1})").status, 200);
    EXPECT_EQ(bob.Delete("/api/v1/locks/3?force=true").json["locks"].toArray()[2], QJsonValue());

    // Another site's page in an operator's browser.
    ApiClient foreign(gw, "browser");
    foreign.origin = "http://evil.example";
    const HttpAnswer refused = foreign.Put("/api/v1/outputs/1", R"({"input": 2})");
    EXPECT_EQ(refused.status, 403);
    EXPECT_EQ(refused.Code(), "origin");
    ApiClient own(gw, "page");
    own.origin = gw.Base().toUtf8();
    EXPECT_EQ(own.Get("/api/v1/state").status, 200);
    EventsClient foreignEvents(gw, QStringLiteral("/api/v1/events"), QStringLiteral("http://evil.example"));
    ASSERT_TRUE(WaitUntil([&] { return foreignEvents.closed; }));
    EXPECT_TRUE(foreignEvents.messages.isEmpty()) << "no state for another site";
    EventsClient wrongPath(gw, QStringLiteral("/elsewhere"));
    ASSERT_TRUE(WaitUntil([&] { return wrongPath.closed; }));

    // A message on the events socket is answered with an error, nothing sent.
    EventsClient talker(gw);
    ASSERT_TRUE(WaitUntil([&] { return !talker.messages.isEmpty(); }));
    talker.Socket().sendTextMessage(QStringLiteral("{\"route\": 1}"));
    ASSERT_TRUE(WaitUntil([&] { return talker.messages.size() > 1; }));
    EXPECT_EQ(talker.messages.last()["type"].toString(), "error");
}

TEST_F(GatewayProcessTest, ChangesNeedTheTokenWhenOneIsConfigured) {
    StartOnPty({"--token", "s3cret"});
    ApiClient c(gw, "desk");
    EXPECT_EQ(c.Get("/api/v1/state").status, 200) << "reading needs no token";
    const HttpAnswer a = c.Put("/api/v1/outputs/1", R"({"input": 2})");
    EXPECT_EQ(a.status, 401);
    EXPECT_EQ(a.Code(), "token");
    c.token = "wrong";
    EXPECT_EQ(c.Put("/api/v1/outputs/1", R"({"input": 2})").status, 401);
    c.token = "s3cret";
    EXPECT_EQ(c.Put("/api/v1/outputs/1", R"({"input": 2})").status, 200);
}

TEST_F(GatewayProcessTest, AChangeMadeOnTheSwitchersOtherLinkReachesEveryClient) {
    StartSim({"--udp", SimUdpAddress()});
    StartGateway({"--port", LinkPath(), "--serial-poll-ms", "300"});
    WaitPresent();
    EventsClient watcher(gw);
    ASSERT_TRUE(WaitUntil([&] { return !watcher.messages.isEmpty(); }));
    QUdpSocket panel;
    ASSERT_TRUE(panel.bind(QHostAddress(LoopbackIp(42)), 0));
    panel.writeDatagram("@W 03 00#", QHostAddress(SimUdpAddress()), 5000);
    ASSERT_TRUE(watcher.WaitForChange("routing"));
    EXPECT_EQ(watcher.LastState()["routing"].toArray(), QJsonArray({1, 2, 3, 1}));
    EXPECT_EQ(watcher.messages[watcher.FindChange("routing")]["by"].toString(), "switcher");
}

TEST_F(GatewayProcessTest, OverUdpTheChangeCounterShowsChangesMadeOnThePty) {
    SimStart start;
    start.aArgs = QStringList{"--udp", SimUdpAddress()};
    start.aAnnounced << QStringLiteral("udp");
    ASSERT_TRUE(sim.Start(start));
    StartGateway({"--host", SimUdpAddress(), "--local-port", "0"});
    WaitPresent();
    ApiClient c(gw, "net");
    EXPECT_EQ(Routing(c.Put("/api/v1/outputs/1", R"({"input": 3})")), QJsonArray({3, 2, 3, 4}));
    EventsClient watcher(gw);
    ASSERT_TRUE(WaitUntil([&] { return !watcher.messages.isEmpty(); }));
    ASSERT_TRUE(sim.Preset("@W 01 00#", 1));
    ASSERT_TRUE(watcher.WaitForChange("routing"));
    EXPECT_EQ(watcher.LastState()["routing"].toArray(), QJsonArray({3, 1, 3, 4}));
}

TEST_F(GatewayProcessTest, TheSwitcherKilledIsAbsentAndWhenBackItIsReadAfresh) {
    StartOnPty();
    EventsClient watcher(gw);
    ASSERT_TRUE(WaitUntil([&] { return !watcher.messages.isEmpty(); }));
    ApiClient c(gw, "desk");
    ASSERT_EQ(c.Put("/api/v1/outputs/1", R"({"input": 4})").status, 200);
    sim.Stop();
    ASSERT_TRUE(watcher.WaitForChange("presence"));
    EXPECT_FALSE(watcher.LastState()["present"].toBool());
    const HttpAnswer refused = c.Put("/api/v1/outputs/1", R"({"input": 2})");
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.Code(), "absent");
    EXPECT_TRUE(gw.Log().contains("switcher lost")) << gw.Log().constData();

    // A new simulator starts from its factory state under the same name.
    const qsizetype nSeen = watcher.messages.size();
    StartSim();
    ASSERT_TRUE(WaitUntil(
        [&] {
            const qsizetype i = watcher.FindChange("presence", nSeen);
            return i >= 0 && watcher.messages[i]["state"].toObject()["present"].toBool();
        },
        40000))
        << gw.Log().constData();
    EXPECT_EQ(c.Get("/api/v1/state").json["routing"].toArray(), QJsonArray({1, 2, 3, 4})) << "read afresh";
}

TEST_F(GatewayProcessTest, AFullQueueRefusesTheCommandsBeyondIt) {
    StartSim({"--reply", "none"});
    StartGateway({"--port", LinkPath(), "--serial-poll-ms", "60000"});
    WaitPresent();
    // Unanswered writes wait their full time; QNetworkAccessManager opens at
    // most six connections per host, so each client has its own.
    std::vector<std::unique_ptr<ApiClient>> clients;
    std::vector<QNetworkReply*> replies;
    for (int i = 0; i < 8; ++i) {
        clients.push_back(std::make_unique<ApiClient>(gw, "c" + QByteArray::number(i)));
        for (int k = 0; k < 5; ++k)
            replies.push_back(clients.back()->Start("PUT", "/api/v1/outputs/1", R"({"input": 2})"));
    }
    int nFull = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            nFull = 0;
            for (QNetworkReply* r : replies) {
                if (r->isFinished() && r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 429) ++nFull;
            }
            return nFull >= 8;
        },
        20000));
    EXPECT_EQ(nFull, 40 - 32);
    // The command in flight has no answer in time; the others wait their turn.
    QNetworkReply* timedOut = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (QNetworkReply* r : replies) {
                if (r->isFinished() && r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 504)
                    timedOut = r;
            }
            return timedOut != nullptr;
        },
        30000));
    EXPECT_EQ(ApiClient::Wait(timedOut).Code(), "timeout");
    // Clients that give up before their answer leave nothing behind.
    for (QNetworkReply* r : replies) {
        if (r != timedOut && !r->isFinished()) r->abort();
    }
    EXPECT_TRUE(gw.Stop() == 0) << gw.Log().constData();
}

TEST_F(GatewayProcessTest, OversizedRequestsAndTooManyConnectionsAreCutOffAndServiceGoesOn) {
    StartOnPty();
    ApiClient c(gw, "big");
    const HttpAnswer huge = c.Put("/api/v1/outputs/1", "{\"input\": 1, \"pad\": \"" + QByteArray(4 << 20, 'x') + "\"}");
    EXPECT_NE(huge.status, 200) << "a body of megabytes is not taken in";
    EXPECT_TRUE(gw.WaitForLog(QStringLiteral("cut off"))) << gw.Log().constData();

    // Connections beyond the limit are closed at once; the open ones still work.
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 140; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(GatewayProcess::Address(), static_cast<quint16>(gw.Port()));
    }
    EXPECT_TRUE(gw.WaitForLog(QStringLiteral("connection refused: already")));
    int nClosed = 0;
    ASSERT_TRUE(WaitUntil([&] {
        nClosed = 0;
        for (const auto& s : held) nClosed += s->state() == QAbstractSocket::UnconnectedState ? 1 : 0;
        return nClosed >= 12;
    }));
    held.clear();
    EXPECT_TRUE(WaitUntil([&] { return c.Get("/api/v1/state").status == 200; }));
    EXPECT_EQ(c.Put("/api/v1/outputs/1", R"({"input": 3})").status, 200);
}

TEST_F(GatewayProcessTest, ThePageComesFromTheGatewayAlone) {
    StartOnPty();
    QNetworkAccessManager nam;
    for (const QString& path : {QStringLiteral("/"), QStringLiteral("/app.js"), QStringLiteral("/app.css")}) {
        QNetworkReply* r = nam.get(QNetworkRequest(QUrl(gw.Base() + path)));
        ASSERT_TRUE(WaitUntil([r] { return r->isFinished(); }));
        EXPECT_EQ(r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200) << path.toStdString();
        const QByteArray body = r->readAll();
        EXPECT_FALSE(body.contains("http://") || body.contains("https://"))
            << path.toStdString() << ": nothing from elsewhere";
        EXPECT_TRUE(r->rawHeader("Content-Security-Policy").contains("default-src 'self'"));
        if (path == QLatin1String("/")) {
            EXPECT_TRUE(body.contains("width=device-width"));
        }
        r->deleteLater();
    }
}

TEST_F(GatewayProcessTest, SigtermWritesTheStateFileAndACorruptOneIsKeptAside) {
    {
        QFile f(StatePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{ corrupt");
    }
    StartOnPty();
    EXPECT_TRUE(gw.Log().contains("kept as")) << gw.Log().constData();
    ApiClient c(gw, "desk");
    EXPECT_EQ(c.Get("/api/v1/state").json["labels"].toObject()["outputs"].toArray()[0], "Output 1");
    ASSERT_EQ(c.Put("/api/v1/labels/outputs/1", R"({"label": "Stage"})").status, 200);
    ASSERT_EQ(c.Put("/api/v1/locks/2").status, 200);
    EXPECT_EQ(gw.Stop(), 0);
    EXPECT_TRUE(gw.Log().contains("stopped"));
    QFile f(StatePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_EQ(saved["labels"].toObject()["outputs"].toArray()[0], "Stage");
    EXPECT_EQ(saved["locks"].toArray()[1], "desk");
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("state.json.corrupt-*")}).size(), 1);

    // Started again, it has them back.
    StartGateway({"--port", LinkPath()});
    EXPECT_EQ(c.Get("/api/v1/state").json["locks"].toArray()[1], "desk");
}

TEST_F(GatewayProcessTest, ASecondGatewayOnTheSameStateFileRefusesToStart) {
    StartOnPty();
    GatewayProcess second;
    EXPECT_FALSE(second.Start({"--state", StatePath(), "--port", LinkPath()}));
    EXPECT_EQ(second.Stop(), 1);
    EXPECT_TRUE(second.Log().contains("is in use by another corvane-gateway")) << second.Log().constData();
    ApiClient c(gw);
    EXPECT_TRUE(c.Get("/api/v1/state").json["present"].toBool()) << "the first one goes on";

    // Once the first has ended, the file is free again.
    EXPECT_EQ(gw.Stop(), 0);
    StartGateway({"--port", LinkPath()});
}

}  // namespace
