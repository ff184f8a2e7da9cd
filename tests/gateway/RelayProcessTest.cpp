// corvane-gateway relaying the switcher's own UDP protocol for a switcher
// on the simulator's pseudo-terminal: corvane-cli --host pointed at the
// relay as at a switcher, two of them at once, a watch that hears a change
// made through the HTTP API, and malformed datagrams that reach nothing.
// Every address is on 127.0.0.0/8.
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/gateway/GatewayClient.h"
#include "tests/support/Loopback.h"
#include "tests/support/ProcessSignal.h"
#include "tests/support/SimProcess.h"

namespace {

struct CliRun {
    int exit = -1;
    QByteArray out, err;
};

int LocalPort(int n) { return 30000 + (::getpid() % 5000) * 4 + n; }

class RelayProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        relayAddress = QString::fromStdString(FreeLoopbackAddress(70));
        SimStart start;
        start.aArgs = QStringList{"--link", dir.filePath(QStringLiteral("com1"))};
        ASSERT_TRUE(sim.Start(start));
        ASSERT_TRUE(gw.Start({"--state", dir.filePath(QStringLiteral("state.json")), "--port",
                              dir.filePath(QStringLiteral("com1")), "--relay", relayAddress}))
            << gw.Log().constData();
        ASSERT_TRUE(gw.Log().contains("relaying")) << gw.Log().constData();
        ApiClient c(gw);
        ASSERT_TRUE(WaitUntil([&] { return c.Get("/api/v1/state").json["present"].toBool(); }, 20000))
            << gw.Log().constData();
    }

    QStringList CliArgs(int n, const QStringList& args) const {
        return QStringList{"--host", relayAddress, "--local-port", QString::number(LocalPort(n))} + args;
    }
    void StartCli(QProcess& proc, int n, const QStringList& args) const {
        proc.start(QStringLiteral(CORVANE_CLI_PATH), CliArgs(n, args));
    }
    static CliRun Finish(QProcess& proc) {
        CliRun r;
        if (!proc.waitForFinished(60000)) {
            proc.kill();
            proc.waitForFinished(3000);
            r.err = "corvane-cli did not end";
            return r;
        }
        r.exit = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2;
        r.out = proc.readAllStandardOutput();
        r.err = proc.readAllStandardError();
        return r;
    }
    CliRun Cli(const QStringList& args, int n = 0) const {
        QProcess proc;
        StartCli(proc, n, args);
        return Finish(proc);
    }

    QTemporaryDir dir;
    QString relayAddress;
    CSimProcess sim;
    GatewayProcess gw;
};

}  // namespace

TEST_F(RelayProcessTest, CorvaneCliReachesASerialSwitcherThroughTheRelay) {
    CliRun r = Cli({"status"});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString() << gw.Log().constData();
    EXPECT_EQ(r.out, "Output 1: input 1\nOutput 2: input 2\nOutput 3: input 3\nOutput 4: input 4\n");

    r = Cli({"route", "2", "4"});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Output 2: input 4\n");
    EXPECT_TRUE(sim.Received().contains("@W 01 03#")) << "the frame reaches the pty as the client wrote it";
    // The hub reads the switcher again after a write, so HTTP clients see it.
    ApiClient api(gw);
    EXPECT_TRUE(WaitUntil([&] { return Routing(api.Get("/api/v1/state")) == QJsonArray({1, 4, 3, 4}); }));

    r = Cli({"--json", "load"});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.trimmed()).object();
    EXPECT_EQ(o["routing"].toArray(), QJsonArray({1, 4, 3, 4}));
    EXPECT_EQ(o["name"].toString(), "CORVANE MATRIX");

    // A search sent to the relay's address is answered with the switcher's name.
    QProcess search;
    search.start(QStringLiteral(CORVANE_CLI_PATH),
                 {"search", "--broadcast", relayAddress, "--wait", "1", "--local-port", QString::number(LocalPort(0))});
    r = Finish(search);
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1 %1 CORVANE MATRIX\n").arg(relayAddress).toUtf8());
}

TEST_F(RelayProcessTest, SeveralClientsAtOnceAndAWatchHearsChangesMadeElsewhere) {
    QProcess watch;
    StartCli(watch, 3, {"--json", "watch", "--interval", "0.2"});
    QByteArray err;
    ASSERT_TRUE(WaitUntil([&] {
        watch.waitForReadyRead(50);
        err += watch.readAllStandardError();
        return err.contains("Watching");
    })) << err.toStdString();

    QProcess a, b;
    StartCli(a, 1, {"route", "1", "3"});
    StartCli(b, 2, {"route", "4", "2"});
    const CliRun ra = Finish(a), rb = Finish(b);
    EXPECT_EQ(ra.exit, 0) << ra.err.toStdString();
    EXPECT_EQ(rb.exit, 0) << rb.err.toStdString();
    EXPECT_EQ(ra.out, "Output 1: input 3\n");
    EXPECT_EQ(rb.out, "Output 4: input 2\n");

    // A route through the HTTP API reaches the watch through the counter.
    ApiClient api(gw, "panel");
    ASSERT_EQ(api.Put("/api/v1/outputs/3", R"({"input": 1})").status, 200);
    QByteArray out;
    ASSERT_TRUE(WaitUntil([&] {
        watch.waitForReadyRead(50);
        out += watch.readAllStandardOutput();
        return out.contains("\"output\":3");
    })) << out.toStdString();
    ASSERT_TRUE(SignalChild(watch, SIGTERM));
    ASSERT_TRUE(watch.waitForFinished(20000));
    EXPECT_EQ(watch.exitCode(), 0);
}

TEST_F(RelayProcessTest, MalformedDatagramsAreDroppedWithALogLineAndNothingSent) {
    const QByteArray before = sim.Received();
    QUdpSocket client;
    ASSERT_TRUE(client.bind(QHostAddress(LoopbackIp(71)), 0));
    const QByteArray bad[] = {"@R2#", "GET / HTTP/1.0\r\n\r\n", QByteArray(3000, 'W'), "@W 00 01#@W 01 01#",
                              QByteArray("@R\x00\x01#", 5)};
    for (const QByteArray& d : bad) client.writeDatagram(d, QHostAddress(relayAddress), 5000);
    ASSERT_TRUE(WaitUntil([&] { return gw.Log().count("dropped") >= 5; })) << gw.Log().constData();
    EXPECT_TRUE(gw.Log().contains("3000 bytes"));
    // A good request after them is still served, and nothing else reached the pty.
    const CliRun r = Cli({"status"});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    const QByteArray after = sim.Received().mid(before.size());
    EXPECT_FALSE(after.contains("@R2#") || after.contains("GET") || after.contains("WWW") || after.contains("@W 00"))
        << after.toStdString();
    EXPECT_FALSE(client.hasPendingDatagrams());
    EXPECT_EQ(gw.Process().state(), QProcess::Running);
}
