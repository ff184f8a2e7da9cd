// Many gateways through one broker, told apart by their ids; and a broker
// that wants TLS with a CA of the test's own and a password.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "tests/gateway/GatewayClient.h"
#include "tests/gateway/MqttBroker.h"
#include "tests/support/SimProcess.h"

namespace {

bool RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct Room {
    CSimProcess sim;
    GatewayProcess gw;
};

TEST(MqttFleetTest, OneClientSeesThreeGatewaysAndRoutesEach) {
    QTemporaryDir dir;
    MqttBroker broker;
    ASSERT_TRUE(broker.Start());
    TestMqttClient client(broker,
                          {"corvane/+/availability", "corvane/+/name", "corvane/+/output/+", "corvane/+/result"});
    ASSERT_TRUE(client.WaitReady());
    std::vector<std::unique_ptr<Room>> rooms;
    for (int n = 1; n <= 3; ++n) {
        auto room = std::make_unique<Room>();
        const QString link = dir.filePath(QStringLiteral("com%1").arg(n));
        SimStart start;
        start.aArgs = QStringList{"--link", link, "--name", QStringLiteral("HALL %1").arg(n)};
        ASSERT_TRUE(room->sim.Start(start));
        ASSERT_TRUE(room->gw.Start({"--state", dir.filePath(QStringLiteral("s%1.json").arg(n)), "--port", link,
                                    "--mqtt", broker.Url(), "--mqtt-id", QStringLiteral("room%1").arg(n)}))
            << room->gw.Log().constData();
        rooms.push_back(std::move(room));
    }
    for (int n = 1; n <= 3; ++n) {
        const QString base = QStringLiteral("corvane/room%1").arg(n);
        EXPECT_TRUE(client.WaitFor(base + "/availability", "online")) << rooms[n - 1]->gw.Log().constData();
        EXPECT_TRUE(client.WaitFor(base + "/name", QStringLiteral("HALL %1").arg(n).toUtf8()));
    }
    // Each room's command reaches its own switcher and no other.
    for (int n = 1; n <= 3; ++n)
        client.Publish(QStringLiteral("corvane/room%1/output/%1/set").arg(n), QByteArray::number(n + 1));
    for (int n = 1; n <= 3; ++n) {
        const QString base = QStringLiteral("corvane/room%1").arg(n);
        ASSERT_TRUE(WaitUntil([&] { return client.Has(base + "/result"); }));
        EXPECT_TRUE(QJsonDocument::fromJson(client.Last(base + "/result")).object()["ok"].toBool());
        EXPECT_TRUE(client.WaitFor(base + QStringLiteral("/output/%1").arg(n), QByteArray::number(n + 1)));
        const QByteArray received = rooms[n - 1]->sim.Received();
        for (int m = 1; m <= 3; ++m) {
            const QByteArray frame = QStringLiteral("@W 0%1 0%2#").arg(m - 1).arg(m).toLatin1();
            EXPECT_EQ(received.contains(frame), m == n) << "room " << n << " frame " << frame.constData();
        }
    }
}

TEST(MqttFleetTest, TlsWithATestCaAndAPassword) {
    QTemporaryDir dir;
    const QString ca = dir.filePath("ca.pem"), caKey = dir.filePath("ca.key");
    const QString cert = dir.filePath("server.pem"), key = dir.filePath("server.key"), csr = dir.filePath("s.csr");
    ASSERT_TRUE(RunTool("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                                    "/CN=corvane test CA", "-keyout", caKey, "-out", ca}));
    ASSERT_TRUE(RunTool(
        "openssl", {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", csr}));
    const QString ext = dir.filePath("ext.cnf");
    QFile extFile(ext);
    ASSERT_TRUE(extFile.open(QIODevice::WriteOnly));
    extFile.write("subjectAltName = IP:127.0.0.1\n");
    extFile.close();
    ASSERT_TRUE(RunTool("openssl", {"x509", "-req", "-in", csr, "-CA", ca, "-CAkey", caKey, "-CAcreateserial", "-days",
                                    "2", "-extfile", ext, "-out", cert}));
    const QString passwords = dir.filePath("passwd");
    ASSERT_TRUE(RunTool("mosquitto_passwd", {"-b", "-c", passwords, "gateway", "s3cret word"}));
    const QString pwFile = dir.filePath("pw"), wrongFile = dir.filePath("wrong");
    for (const auto& [path, text] : {std::pair{pwFile, "s3cret word\n"}, std::pair{wrongFile, "guess\n"}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    MqttBroker broker;
    ASSERT_TRUE(broker.Start({ca, cert, key, passwords})) << broker.Log().constData();
    SimStart start;
    start.aArgs = QStringList{"--link", dir.filePath("com1")};
    CSimProcess sim;
    ASSERT_TRUE(sim.Start(start));

    // A wrong password: refused and said so; the switcher side works on.
    GatewayProcess wrong;
    ASSERT_TRUE(wrong.Start({"--state", dir.filePath("s.json"), "--port", dir.filePath("com1"), "--mqtt",
                             broker.Url("mqtts"), "--mqtt-ca", ca, "--mqtt-id", "tls1", "--mqtt-user", "gateway",
                             "--mqtt-password-file", wrongFile}));
    EXPECT_TRUE(wrong.WaitForLog("refused"));
    ApiClient http(wrong);
    EXPECT_TRUE(WaitUntil([&] { return http.Get("/api/v1/state").json["present"].toBool(); }, 20000));
    EXPECT_EQ(wrong.Stop(), 0);

    GatewayProcess gw;
    ASSERT_TRUE(
        gw.Start({"--state", dir.filePath("s.json"), "--port", dir.filePath("com1"), "--mqtt", broker.Url("mqtts"),
                  "--mqtt-ca", ca, "--mqtt-id", "tls1", "--mqtt-user", "gateway", "--mqtt-password-file", pwFile}));
    ASSERT_TRUE(gw.WaitForLog("connected")) << gw.Log().constData() << broker.Log().constData();
    // A client of the same broker over TLS, with mosquitto_sub: offline
    // (retained) until the switcher has been read, then online.
    QProcess sub;
    sub.start("mosquitto_sub", {"-h", "127.0.0.1", "-p", QString::number(broker.Port()), "--cafile", ca, "-u",
                                "gateway", "-P", "s3cret word", "-t", "corvane/tls1/availability", "-W", "60"});
    QByteArray heard;
    EXPECT_TRUE(WaitUntil(
        [&] {
            heard += sub.readAllStandardOutput();
            return heard.contains("online");
        },
        30000))
        << heard.constData();
    sub.kill();
    sub.waitForFinished(5000);
    EXPECT_EQ(gw.Stop(), 0);
}

}  // namespace
