// corvane-cli over UDP against corvane-sim on a loopback address: commands,
// watch through the change counter, search, and the link's failures. Every
// datagram goes to 127.0.0.0/8; searches are sent to the simulator's own
// address with --broadcast, never to the network's broadcast address.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/cli/CliProcess.h"
#include "tests/support/LoopbackPeers.h"
#include "tests/support/Wait.h"

namespace {

// Addresses and ports of this run, apart from other test runs on the machine.
QString LoopbackAddress(int nHost) { return QHostAddress(LoopbackIp(nHost)).toString(); }
QString SimAddress() { return LoopbackAddress(10); }
// Addresses where nobody answers.
QString NobodyAddress(int n) { return LoopbackAddress(250 + n); }
int LocalPort(int n) { return 20000 + (::getpid() % 5000) * 4 + n; }

class CliUdpTest : public ::testing::Test {
protected:
    void StartSim(const QStringList& args = {}) {
        ASSERT_TRUE(sim.Start(CliSimStart(QStringList{"--udp", SimAddress()} + args)));
    }

    CliResult Cli(const QStringList& args, int nPort = 0) {
        return RunCli(QStringList{"--host", SimAddress(), "--local-port", QString::number(LocalPort(nPort))} + args);
    }
    QByteArray Ok(const QStringList& args, int nPort = 0) {
        const CliResult r = Cli(args, nPort);
        EXPECT_EQ(r.nExit, 0) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
        return r.out;
    }

    CSimProcess sim;
};

}  // namespace

TEST_F(CliUdpTest, CommandsOverTheNetworkAsOverSerial) {
    StartSim();
    EXPECT_EQ(Ok({"status"}), "Output 1: input 1\nOutput 2: input 2\nOutput 3: input 3\nOutput 4: input 4\n");
    EXPECT_EQ(Ok({"route", "2", "4"}), "Output 2: input 4\n");
    EXPECT_EQ(Ok({"edid", "1", "1080p", "--ch", "7.1"}), "Input 1: 1080P, 7.1 CH\n");
    EXPECT_EQ(Ok({"name", "NET ROOM"}), "Name: NET ROOM\n");
    const QJsonObject o = JsonLine(Ok({"--json", "load"}).trimmed());
    EXPECT_EQ(o["routing"].toArray(), QJsonArray({1, 4, 3, 4}));
    EXPECT_EQ(o["edid"].toArray()[0].toObject()["channels"].toString(), "7.1");
    EXPECT_EQ(o["name"].toString(), "NET ROOM");
    EXPECT_EQ(o["network"].toObject()["mac"].toString(), "02:43:56:00:00:01");
    EXPECT_EQ(Ok({"debug", "off"}), "Debug: off\n");
    EXPECT_EQ(Ok({"power", "on"}), "Power up acknowledged\n");
    EXPECT_TRUE(Ok({"net"}).contains("DHCP: off\n"));
}

TEST_F(CliUdpTest, WatchReportsAChangeMadeByAnotherClient) {
    StartSim();
    QProcess watch;
    const QByteArray err = StartWatch(watch, {"--host", SimAddress(), "--local-port", QString::number(LocalPort(1)),
                                              "--json", "watch", "--interval", "0.2"});
    ASSERT_TRUE(err.contains("Watching")) << err.toStdString();

    Ok({"route", "3", "1"}, 2);
    QByteArray out = ReadUntil(watch, QProcess::StandardOutput, "\n");
    ASSERT_TRUE(SignalChild(watch, SIGTERM));
    ASSERT_TRUE(watch.waitForFinished(20000));
    EXPECT_EQ(watch.exitCode(), 0);
    out += watch.readAllStandardOutput();
    const QList<QByteArray> lines = out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1) << out.toStdString();
    const QJsonObject o = JsonLine(lines[0]);
    EXPECT_EQ(o["event"].toString(), "routing");
    EXPECT_EQ(o["output"].toInt(), 3);
    EXPECT_EQ(o["from"].toInt(), 3);
    EXPECT_EQ(o["to"].toInt(), 1);
    // It learnt of the change through the counter, as the window does.
    EXPECT_TRUE(sim.UdpReceived().contains("@ R 52 #"));
}

// The switcher answers every poll with the same change counter: that is an
// answer, so the watch must not call it silent.
TEST_F(CliUdpTest, WatchTakesAnUnchangedCounterAsAnAnswer) {
    StartSim();
    QProcess watch;
    const QByteArray err = StartWatch(watch, {"--host", SimAddress(), "--local-port", QString::number(LocalPort(1)),
                                              "--timeout", "0.5", "watch", "--interval", "0.1"});
    ASSERT_TRUE(err.contains("Watching")) << err.toStdString();
    // Well past the 0.5 s limit: 15 polls at 0.1 s, each answered.
    EXPECT_TRUE(WaitUntil([&] { return sim.UdpCount("@ R 52 #") >= 15; }, 20000));
    ASSERT_TRUE(SignalChild(watch, SIGTERM));
    ASSERT_TRUE(watch.waitForFinished(20000));
    EXPECT_EQ(watch.exitCode(), 0);
    const QByteArray out = watch.readAllStandardOutput();
    EXPECT_FALSE(out.contains("no answer")) << out.toStdString();
}

TEST_F(CliUdpTest, SearchListsEachSwitcherThatAnswers) {
    StartSim({"--name", "Hall B"});
    const QStringList args = {"search", "--broadcast", SimAddress(), "--wait", "1", "--local-port", QString::number(LocalPort(0))};
    CliResult r = RunCli(args);
    EXPECT_EQ(r.nExit, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1 %1 Hall B\n").arg(SimAddress()).toUtf8());
    EXPECT_TRUE(sim.UdpReceived().contains("@R20#"));

    r = RunCli(QStringList{"--json"} + args);
    const QJsonObject o = JsonLine(r.out.trimmed());
    EXPECT_EQ(o["number"].toInt(), 1);
    EXPECT_EQ(o["address"].toString(), SimAddress());
    EXPECT_EQ(o["name"].toString(), "Hall B");

    // Nobody at the address: status 1, said plainly.
    r = RunCli({"search", "--broadcast", NobodyAddress(1), "--wait", "0.5", "--local-port", QString::number(LocalPort(0))});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(r.err.contains("no switcher answered")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliUdpTest, NoSwitcherAtTheAddressIsStatusOne) {
    const CliResult r = RunCli({"--host", NobodyAddress(2), "--local-port", QString::number(LocalPort(0)), "--timeout", "0.5", "status"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(r.err.contains("no answer")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains((NobodyAddress(2) + ":5000").toUtf8())) << r.err.toStdString();
}

TEST_F(CliUdpTest, LocalPortInUseIsStatusThree) {
    // A loopback holder is enough: the CLI binds every local address, which
    // Linux refuses while any address holds the port.
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, static_cast<quint16>(LocalPort(3))));
    const CliResult r = Cli({"status"}, 3);
    EXPECT_EQ(r.nExit, 3);
    EXPECT_TRUE(r.err.contains("address in use")) << r.err.toStdString();
    const CliResult search = RunCli({"search", "--broadcast", SimAddress(), "--local-port", QString::number(LocalPort(3))});
    EXPECT_EQ(search.nExit, 3);
}

TEST_F(CliUdpTest, TheTraceNamesThePeer) {
    StartSim();
    QTemporaryDir dir;
    const QString strTrace = dir.filePath("udp.log");
    Ok({"--trace", strTrace, "route", "1", "2"});
    QFile f(strTrace);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QString strPeer = SimAddress() + ":5000";
    EXPECT_EQ(lines[0].section(' ', 1), "TX " + strPeer + " @W 00 01#");
    EXPECT_EQ(lines[1].section(' ', 1), "RX " + strPeer + " @09 01#");
}
