// The built main window against corvane-sim over UDP on loopback: open the
// socket on the Net Config page, type the simulator's address, connect; the
// whole configuration loads, a route is acknowledged over the network, the
// change counter is polled once a second, and a change made on the
// simulator's other link (its pty) reloads the configuration once.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTest>
#include <memory>

#include "app/CorvaneDlg.h"
#include "link/DeviceState.h"
#include "link/NetLinkState.h"
#include "pages/EdidConfigPage.h"
#include "pages/PortSetPage.h"
#include "tests/e2e/E2eFixture.h"
#include "tests/support/Loopback.h"
#include "tests/support/SimClients.h"
#include "tests/support/SimProcess.h"

namespace {

constexpr int WAIT_MS = 10000;

// Routing 4, 1, 2, 3 and a name, so that the load shows on every panel.
const char* const PRESET =
    "@W 00 03#@W 01 00#@W 02 01#@W 03 02#@ W 20 55 44 50 2d 45 32 45 00 00 00 00 00 00 00 00 00 #";
constexpr int PRESET_WRITES = 5;

const QByteArray POLL("@ R 52 #");
const QByteArray LOAD_ALL("@ R 0e #");
const QByteArray NET_PARAMS("@ R 40 #");

}  // namespace

class AppUdpSimTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        BeginWindowCase();
        m_strSimIp = QString::fromStdString(FreeLoopbackAddress());
        m_pSim = std::make_unique<CSimProcess>();
        SimStart start;
        start.aArgs = {QStringLiteral("--udp"), m_strSimIp};
        start.aAnnounced << QStringLiteral("udp");
        QVERIFY(m_pSim->Start(start));
        QCOMPARE(m_pSim->Announced(QStringLiteral("udp")), m_strSimIp + QStringLiteral(":5000"));
        QVERIFY(m_pSim->Preset(PRESET, PRESET_WRITES));
        m_pDlg = OpenOnNetConfigTab();
        QVERIFY(m_pDlg);
        QTRY_VERIFY(g_NetConfigPage.GetSafeHwnd()->isVisible());
    }

    void cleanup() {
        const int nUnexpectedBoxes = EndWindowCase(m_pDlg);
        m_pSim.reset();
        QCOMPARE(nUnexpectedBoxes, 0);
    }

    void connectByTypedAddressLoadsTheWholeConfiguration() {
        OpenSocketAndConnect();

        QTRY_COMPARE_WITH_TIMEOUT(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_1), QStringLiteral("4"), WAIT_MS);
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_2), QStringLiteral("1"));
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_3), QStringLiteral("2"));
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_4), QStringLiteral("3"));
        QCOMPARE(m_pDlg->GetDlgItemText(Dlg102::IDC_DEVICE_NAME), QStringLiteral("UDP-E2E"));
        QCOMPARE(g_EdidConfigPage.GetDlgItemText(Dlg129::IDC_LOG), QStringLiteral("Load All config data success!"));
        // The load-all request, then the network parameters its reply asks
        // for, each one datagram with exactly the frame's characters.
        QTRY_VERIFY_WITH_TIMEOUT(m_pSim->UdpReceived().size() >= 2, WAIT_MS);
        QCOMPARE(m_pSim->UdpReceived().mid(0, 2), (QList<QByteArray>{LOAD_ALL, NET_PARAMS}));
    }

    void routeIsAcknowledgedOverTheNetwork() {
        OpenSocketAndConnect();
        QTRY_COMPARE_WITH_TIMEOUT(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_1), QStringLiteral("4"), WAIT_MS);

        Button(g_PortSetPage, Dlg130::IDC_OUT2_IN3)->click();  // output 2, input 3
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_2), QStringLiteral("3"));
        QTRY_COMPARE_WITH_TIMEOUT(PortSetLastLine(), QStringLiteral("Set success!"), WAIT_MS);
        // Over the network the row is given back by the page's own timer.
        QTRY_VERIFY_WITH_TIMEOUT(g_PortSetPage.IsDlgItemEnabled(Dlg130::IDC_OUT2_IN3), WAIT_MS);
        QCOMPARE(m_pSim->UdpCount("@W 01 02#"), 1);
        QCOMPARE(g_nOutputSource[1], 2);
        // The switcher has it: read back over its serial link.
        QCOMPARE(QByteArray::fromStdString(simtest::AskSerial(m_pSim->SlavePath().toStdString(), "@R 01 #")),
                 QByteArray("@01 02#"));
    }

    void pollEverySecondAndOneReloadPerCounterChange() {
        OpenSocketAndConnect();
        QTRY_COMPARE_WITH_TIMEOUT(m_pDlg->GetDlgItemText(Dlg102::IDC_DEVICE_NAME), QStringLiteral("UDP-E2E"), WAIT_MS);

        // The poll: one "@ R 52 #" datagram a second, never faster.
        QElapsedTimer timer;
        timer.start();
        const int nPollsBefore = m_pSim->UdpCount(POLL);
        QTRY_VERIFY_WITH_TIMEOUT(m_pSim->UdpCount(POLL) >= nPollsBefore + 3, WAIT_MS);
        const int nPolls = m_pSim->UdpCount(POLL) - nPollsBefore;
        QVERIFY2(nPolls <= timer.elapsed() / 900 + 1,
                 qPrintable(QStringLiteral("%1 polls in %2 ms").arg(nPolls).arg(timer.elapsed())));
        // The first poll reads the preset's counter (5) against the start
        // value 0: one reload. Polls after it read the same value: none.
        QCOMPARE(m_pSim->UdpCount(LOAD_ALL), 2);

        // A route set on the switcher's serial link moves its counter: the
        // next poll reloads the whole configuration once.
        QVERIFY(m_pSim->Preset("@W 00 00#", 1));
        QTRY_COMPARE_WITH_TIMEOUT(m_pSim->UdpCount(LOAD_ALL), 3, WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_1), QStringLiteral("1"), WAIT_MS);
        const int nPollsAfterReload = m_pSim->UdpCount(POLL);
        QTRY_VERIFY_WITH_TIMEOUT(m_pSim->UdpCount(POLL) >= nPollsAfterReload + 2, WAIT_MS);
        QCOMPARE(m_pSim->UdpCount(LOAD_ALL), 3);
        // Each load is followed by one read of the network parameters.
        QCOMPARE(m_pSim->UdpCount(NET_PARAMS), 3);
    }

private:
    void OpenSocketAndConnect() {
        const QString strFailed = ConnectByTypedAddress(*m_pDlg, m_strSimIp);
        QVERIFY2(strFailed.isEmpty(), qPrintable(strFailed));
    }

    std::unique_ptr<CSimProcess> m_pSim;
    std::unique_ptr<CCorvaneDlg> m_pDlg;
    QString m_strSimIp;
};

QTEST_MAIN(AppUdpSimTest)
#include "AppUdpSimTest.moc"
