// The window against corvane-gateway's relay of the switcher's UDP protocol,
// with corvane-sim on the gateway's pseudo-terminal: the relay's address is
// typed into the Net Config page and Connect pressed, as with a switcher on
// the network. The window loads the whole configuration through the relay,
// a route chosen in it reaches the pty, changes made by other clients of the
// gateway and on the simulator's own UDP side show within a poll, and
// corvane-cli --host works through the same relay at the same time.
//
// What the window sent and received is read from its frame trace (the one
// behind --trace), so the test sees the window's own datagrams, not the
// gateway's traffic on the pty. Every address is on 127.0.0.0/8.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

#include "link/FrameTrace.h"
#include "link/NetLinkState.h"
#include "pages/EdidConfigPage.h"
#include "pages/IP_SEL_PAGE.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "tests/e2e/E2eFixture.h"
#include "tests/gateway/GatewayClient.h"
#include "tests/support/Loopback.h"
#include "tests/support/ProcessSignal.h"
#include "tests/support/SimClients.h"
#include "tests/support/SimProcess.h"
#include "tests/support/Wait.h"

namespace {

// Routing 4, 1, 2, 3 and a name, written on the pty before the gateway
// holds it, so that the load shows on every panel.
const char* const PRESET =
    "@W 00 03#@W 01 00#@W 02 01#@W 03 02#@ W 20 52 45 4c 41 59 2d 45 32 45 00 00 00 00 00 00 00 #";
constexpr int PRESET_WRITES = 5;
const QString PRESET_NAME = QStringLiteral("RELAY-E2E");

const QByteArray LOAD_ALL("@ R 0e #");
const QByteArray NET_PARAMS("@ R 40 #");
const QByteArray POLL("@ R 52 #");

// Through the gateway a change waits for its serial poll (2 s) and then the
// window's poll (1 s): a generous limit for both.
constexpr int WAIT_MS = 20000;

// corvane-cli's local ports, apart from other test programs on the machine.
int CliLocalPort(int n) { return 40000 + (::getpid() % 5000) * 4 + n; }

struct TraceLine {
    QByteArray direction, link, bytes;
};

}  // namespace

class AppRelayTest : public ::testing::Test {
protected:
    void SetUp() override {
        BeginWindowCase();
        ASSERT_TRUE(dir.isValid());
        relayAddress = QString::fromStdString(FreeLoopbackAddress(90));
        simAddress = QString::fromStdString(FreeLoopbackAddress(120));

        SimStart start;
        start.aArgs = {QStringLiteral("--link"), dir.filePath(QStringLiteral("com1")), QStringLiteral("--udp"),
                       simAddress};
        start.aAnnounced << QStringLiteral("udp");
        ASSERT_TRUE(sim.Start(start));
        ASSERT_TRUE(sim.Preset(PRESET, PRESET_WRITES));

        ASSERT_TRUE(gw.Start({"--state", dir.filePath(QStringLiteral("state.json")), "--port",
                              dir.filePath(QStringLiteral("com1")), "--relay", relayAddress}))
            << gw.Log().constData();
        ApiClient api(gw);
        ASSERT_TRUE(WaitUntil([&] { return api.Get("/api/v1/state").json["present"].toBool(); }, WAIT_MS))
            << gw.Log().constData();

        QString strError;
        ASSERT_TRUE(FrameTrace().Open(dir.filePath(QStringLiteral("window.trace")), strError))
            << strError.toStdString();
        pDlg = OpenOnNetConfigTab();
        ASSERT_TRUE(pDlg);
    }

    void TearDown() override {
        EXPECT_EQ(EndWindowCase(pDlg), 0) << "message boxes came that the test did not expect";
        FrameTrace().Close();
        EXPECT_EQ(gw.Stop(), 0) << gw.Log().constData();
    }

    // Connects the window to the relay and waits until the whole
    // configuration is shown and the first poll's reload is over: the
    // gateway's counter has moved since it started, the window's starts at
    // 0, so its first poll reloads once, as with a switcher.
    void ConnectAndSettle() {
        const QString strFailed = ConnectByTypedAddress(*pDlg, relayAddress);
        ASSERT_TRUE(strFailed.isEmpty()) << strFailed.toStdString();
        ASSERT_TRUE(WaitUntil([&] { return Sent(NET_PARAMS) == 2 && RepliesTo(NET_PARAMS) == 2; }, WAIT_MS))
            << TraceText().constData() << gw.Log().constData();
        ASSERT_TRUE(WaitForPolls(1));
        ASSERT_EQ(Sent(LOAD_ALL), 2) << TraceText().constData();
    }

    // The window's trace, line by line: time, direction, link, bytes.
    QList<TraceLine> Trace() const {
        QFile file(dir.filePath(QStringLiteral("window.trace")));
        QList<TraceLine> lines;
        if (!file.open(QIODevice::ReadOnly)) return lines;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype a = line.indexOf(' '), b = line.indexOf(' ', a + 1), c = line.indexOf(' ', b + 1);
            if (a < 0 || b < 0 || c < 0) continue;
            lines.append({line.mid(a + 1, b - a - 1), line.mid(b + 1, c - b - 1), line.mid(c + 1)});
        }
        return lines;
    }
    QByteArray TraceText() const {
        QFile file(dir.filePath(QStringLiteral("window.trace")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no trace)");
    }
    QByteArray RelayLink() const { return (relayAddress + QStringLiteral(":5000")).toUtf8(); }

    // How often the window sent frame, every time to the relay.
    int Sent(const QByteArray& frame) const {
        int n = 0;
        for (const TraceLine& l : Trace()) {
            if (l.direction != "TX" || l.bytes != frame) continue;
            EXPECT_EQ(l.link, RelayLink()) << "sent " << frame.constData() << " elsewhere";
            ++n;
        }
        return n;
    }
    // How many replies to a read of that register came from the relay.
    int RepliesTo(const QByteArray& read) const {
        const QByteArray prefix = "@" + read.mid(4, 2);
        int n = 0;
        for (const TraceLine& l : Trace())
            n += l.direction == "RX" && l.link == RelayLink() && l.bytes.startsWith(prefix);
        return n;
    }
    // Waits until n more polls than now have been answered.
    bool WaitForPolls(int n) {
        const int nTarget = RepliesTo(POLL) + n;
        const bool bAnswered = WaitUntil([&] { return RepliesTo(POLL) >= nTarget; }, WAIT_MS);
        EXPECT_TRUE(bAnswered) << TraceText().constData();
        return bAnswered;
    }

    QString Display(int nOutput) const { return g_PortSetPage.GetDlgItemText(Dlg130::DISPLAY[nOutput - 1]); }
    QString NameBox() const { return pDlg->GetDlgItemText(Dlg102::IDC_DEVICE_NAME); }

    QStringList CliArgs(int n, const QStringList& args) const {
        return QStringList{"--host", relayAddress, "--local-port", QString::number(CliLocalPort(n))} + args;
    }
    // corvane-cli to its end; its standard output, or a failure with its error.
    QByteArray Cli(int n, const QStringList& args) const {
        QProcess proc;
        proc.start(QStringLiteral(CORVANE_CLI_PATH), CliArgs(n, args));
        const bool bEnded = WaitUntil([&] { return proc.state() == QProcess::NotRunning; }, 60000);
        if (!bEnded) {
            proc.kill();
            proc.waitForFinished(3000);
        }
        EXPECT_TRUE(bEnded && proc.exitStatus() == QProcess::NormalExit && proc.exitCode() == 0)
            << args.join(' ').toStdString() << ": " << proc.readAllStandardError().constData();
        return proc.readAllStandardOutput();
    }

    QTemporaryDir dir;
    QString relayAddress, simAddress;
    CSimProcess sim;
    GatewayProcess gw;
    std::unique_ptr<CCorvaneDlg> pDlg;
};

TEST_F(AppRelayTest, WindowReadsTheWholeConfigurationThroughTheRelay) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndSettle());
    EXPECT_EQ(Display(1), "4");
    EXPECT_EQ(Display(2), "1");
    EXPECT_EQ(Display(3), "2");
    EXPECT_EQ(Display(4), "3");
    EXPECT_EQ(NameBox(), PRESET_NAME);
    EXPECT_EQ(g_EdidConfigPage.GetDlgItemText(Dlg129::IDC_LOG), "Load All config data success!");
    // The network parameters, asked for after the load, came back too.
    EXPECT_EQ(g_IpConfigPage.GetDlgItemText(Dlg132::IDC_MAC).toStdString(), "02 : 43 : 56 : 00 : 00 : 01");

    // The window's first frames, each one datagram to the relay: the load,
    // then the network parameters its reply asks for.
    QList<QByteArray> aSent;
    for (const TraceLine& l : Trace())
        if (l.direction == "TX" && l.bytes != POLL) aSent << l.bytes;
    ASSERT_GE(aSent.size(), 2);
    EXPECT_EQ(aSent.mid(0, 2), (QList<QByteArray>{LOAD_ALL, NET_PARAMS}));

    // Polls go on, answered by the gateway: none reaches the switcher, and a
    // counter that stays still reloads nothing.
    ASSERT_TRUE(WaitForPolls(2));
    EXPECT_EQ(Sent(LOAD_ALL), 2);
    EXPECT_FALSE(sim.Received().contains("R 52")) << sim.Received().constData();
}

TEST_F(AppRelayTest, RouteChosenInTheWindowReachesTheSwitcherAndShows) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndSettle());
    const int nWritesBefore = static_cast<int>(sim.Received().count("@W 01 02#"));

    Button(g_PortSetPage, Dlg130::IDC_OUT2_IN3)->click();  // output 2, input 3
    EXPECT_EQ(Display(2), "3");
    EXPECT_TRUE(WaitUntil([] { return PortSetLastLine() == "Set success!"; }, WAIT_MS)) << TraceText().constData();
    EXPECT_TRUE(WaitUntil([] { return g_PortSetPage.IsDlgItemEnabled(Dlg130::IDC_OUT2_IN3); }, WAIT_MS));
    EXPECT_EQ(g_nOutputSource[1], 2);
    // On the pty exactly once, as the window wrote it.
    EXPECT_EQ(sim.Received().count("@W 01 02#") - nWritesBefore, 1) << sim.Received().constData();

    // The gateway reads the switcher again after a relayed write, so its
    // other clients see it, and its counter moves: the window reloads once
    // and still shows its route.
    ApiClient api(gw);
    EXPECT_TRUE(WaitUntil([&] { return Routing(api.Get("/api/v1/state")) == QJsonArray({4, 3, 2, 3}); }, WAIT_MS));
    EXPECT_TRUE(WaitUntil([&] { return Sent(LOAD_ALL) == 3 && RepliesTo(NET_PARAMS) == 3; }, WAIT_MS))
        << TraceText().constData();
    ASSERT_TRUE(WaitForPolls(2));
    EXPECT_EQ(Sent(LOAD_ALL), 3);
    EXPECT_EQ(Display(2), "3");
}

TEST_F(AppRelayTest, ChangesMadeElsewhereShowWithinAPoll) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndSettle());

    // Another client of the gateway: a route and a name through its HTTP API.
    ApiClient api(gw, "panel");
    ASSERT_EQ(api.Put("/api/v1/outputs/3", R"({"input": 1})").status, 200);
    EXPECT_TRUE(WaitUntil([&] { return Display(3) == "1"; }, WAIT_MS)) << TraceText().constData();
    ASSERT_EQ(api.Put("/api/v1/name", R"({"name": "FRONT DESK"})").status, 200);
    // Written padded with spaces, as the window writes names, and shown so.
    EXPECT_TRUE(WaitUntil([&] { return NameBox() == "FRONT DESK      "; }, WAIT_MS))
        << "[" << NameBox().toStdString() << "]\n"
        << TraceText().constData();

    // The simulator's own UDP side, which the gateway does not see: its
    // routing poll on the pty finds the change, and the window follows.
    simtest::CUdpClient control(QHostAddress(LoopbackIp(130)).toString().toStdString());
    ASSERT_TRUE(control.IsOpen());
    EXPECT_EQ(control.Ask(simAddress.toStdString(), "@W 03 01#").value_or("(no answer)"), "@09 01#");
    EXPECT_TRUE(WaitUntil([&] { return Display(4) == "2"; }, WAIT_MS)) << TraceText().constData();
    EXPECT_EQ(g_nOutputSource[3], 1);

    // One reload per change, and none after them while nothing changes.
    EXPECT_TRUE(WaitUntil([&] { return RepliesTo(NET_PARAMS) == 5; }, WAIT_MS)) << TraceText().constData();
    ASSERT_TRUE(WaitForPolls(2));
    EXPECT_EQ(Sent(LOAD_ALL), 5) << TraceText().constData();
    EXPECT_EQ(Display(1), "4");
    EXPECT_EQ(Display(2), "1");
}

TEST_F(AppRelayTest, WindowAndCliShareTheRelay) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndSettle());

    // A watch polling through the relay five times a second beside the window.
    QProcess watch;
    watch.start(QStringLiteral(CORVANE_CLI_PATH), CliArgs(1, {"--json", "watch", "--interval", "0.2"}));
    QByteArray watchErr, watchOut;
    ASSERT_TRUE(WaitUntil(
        [&] {
            watchErr += watch.readAllStandardError();
            return watchErr.contains("Watching");
        },
        WAIT_MS))
        << watchErr.constData();

    // A route from the window reaches the watch ...
    Button(g_PortSetPage, Dlg130::IDC_OUT1_IN2)->click();  // output 1, input 2
    EXPECT_TRUE(WaitUntil([] { return PortSetLastLine() == "Set success!"; }, WAIT_MS)) << TraceText().constData();
    EXPECT_TRUE(WaitUntil(
        [&] {
            watchOut += watch.readAllStandardOutput();
            return watchOut.contains("\"output\":1");
        },
        WAIT_MS))
        << watchOut.constData();

    // ... and one from another corvane-cli reaches the window.
    EXPECT_EQ(Cli(2, {"route", "4", "1"}), "Output 4: input 1\n");
    EXPECT_TRUE(WaitUntil([&] { return Display(4) == "1"; }, WAIT_MS)) << TraceText().constData();

    // Both see one routing: the window's displays and the command line's status.
    EXPECT_EQ(Cli(3, {"status"}), "Output 1: input 2\nOutput 2: input 1\nOutput 3: input 2\nOutput 4: input 1\n");
    EXPECT_EQ(Display(1), "2");
    EXPECT_EQ(Display(2), "1");
    EXPECT_EQ(Display(3), "2");

    ASSERT_TRUE(SignalChild(watch, SIGTERM));
    EXPECT_TRUE(WaitUntil([&] { return watch.state() == QProcess::NotRunning; }, WAIT_MS));
    EXPECT_EQ(watch.exitCode(), 0) << watchErr.constData();
    EXPECT_EQ(gw.Process().state(), QProcess::Running);
}
