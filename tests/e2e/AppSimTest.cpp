// The built main window against corvane-sim on a pseudo-terminal: the
// connect, the load-all reply shown on every panel, one routing command with
// its acknowledgement, and the exact bytes that reached the switcher.
#include <QAbstractButton>
#include <QComboBox>
#include <QTest>
#include <memory>

#include "CorvaneDlg.h"
#include "DeviceState.h"
#include "Dlg132_IpConfigIds.h"
#include "E2eFixture.h"
#include "EdidConfigPage.h"
#include "IP_SEL_PAGE.h"
#include "MessageBox.h"
#include "PortSetPage.h"
#include "ReplyAssembler.h"
#include "SimProcess.h"

namespace {

constexpr int WAIT_MS = 10000;

// A switcher state unlike the factory defaults, so that every control the
// load-all reply reaches has to change:
//   routing: output 1 <- input 4, 2 <- 1, 3 <- 2, 4 <- 3
//   EDID:    input 1 mode 2 flags a5 (3D, 5.1, 36Bit, HDR)
//            input 2 mode 0 flags 58 (7.1, 30Bit, 48Bit)
//            input 3 mode 5 flags 02 ("Copy From TV2": options hidden)
//            input 4 mode 3 flags 12 (2.0, 30Bit)
//   name:    "E2E-SWITCHER" and four zero bytes
const char* const PRESET =
    "@W 00 03#@W 01 00#@W 02 01#@W 03 02#"
    "@ W 05 02 a5 #@ W 06 00 58 #@ W 07 05 02 #@ W 08 03 12 #"
    "@ W 20 45 32 45 2d 53 57 49 54 43 48 45 52 00 00 00 00 #";
constexpr int PRESET_WRITES = 9;

}  // namespace

class AppSimTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        ResetDeviceState();
        RxReset();
        MessageBoxScript::Begin();
        m_pSim = std::make_unique<CSimProcess>();
        QVERIFY(m_pSim->Start());
        QVERIFY(m_pSim->Preset(PRESET, PRESET_WRITES));
        // From here on the wire carries only what the application sends.
        QTRY_COMPARE_WITH_TIMEOUT(m_pSim->Received(), QByteArray(PRESET), WAIT_MS);
        m_nPresetBytes = m_pSim->Received().size();
        PointComPorts(m_pSim->SlavePath());
        m_pDlg = OpenMainWindow();
        QVERIFY(m_pDlg);
    }

    void cleanup() {
        if (m_pDlg) m_pDlg->Shutdown();
        m_pDlg.reset();
        m_pSim.reset();
        QCOMPARE(MessageBoxScript::UnexpectedCount(), 0);
        MessageBoxScript::End();
        ResetDeviceState();
    }

    void connectLoadsEveryPanel() {
        QCOMPARE(m_pDlg->GetDlgItemText(1000), QStringLiteral("COM1"));
        Connect();

        // Port Set: the four number displays.
        QTRY_COMPARE_WITH_TIMEOUT(g_PortSetPage.GetDlgItemText(1007), QStringLiteral("4"), WAIT_MS);
        QCOMPARE(g_PortSetPage.GetDlgItemText(1012), QStringLiteral("1"));
        QCOMPARE(g_PortSetPage.GetDlgItemText(1017), QStringLiteral("2"));
        QCOMPARE(g_PortSetPage.GetDlgItemText(1022), QStringLiteral("3"));
        QCOMPARE(LogLines(g_PortSetPage.GetDlgItemText(1042)),
                 (QStringList{QStringLiteral("Get All Ports "), QStringLiteral("Load All config data success!")}));

        // EDID Config: modes, option boxes, audio radios, visibility.
        QCOMPARE(ComboIndex(1000), 2);
        QCOMPARE(ComboIndex(1003), 0);
        QCOMPARE(ComboIndex(1006), 5);
        QCOMPARE(ComboIndex(1009), 3);
        // Input 1, flags a5.
        QVERIFY(Checked(1092) && Checked(1036) && !Checked(1057) && Checked(1058) && !Checked(1059));
        QVERIFY(!Checked(1033) && Checked(1034) && !Checked(1035));
        // Input 2, flags 58.
        QVERIFY(!Checked(1093) && !Checked(1044) && Checked(1060) && !Checked(1061) && Checked(1062));
        QVERIFY(Checked(1041) && !Checked(1042) && !Checked(1043));
        // Input 3, "Copy From TV2": its options are hidden, the rest stays.
        for (int nId : {1094, 1050, 1063, 1064, 1065, 1047, 1048, 1049})
            QVERIFY2(!g_EdidConfigPage.IsDlgItemVisible(nId), qPrintable(QString::number(nId)));
        QVERIFY(g_EdidConfigPage.IsDlgItemVisible(1006));
        QVERIFY(Checked(1049));
        // Input 4, flags 12.
        QVERIFY(!Checked(1095) && !Checked(1056) && Checked(1066) && !Checked(1067) && !Checked(1068));
        QVERIFY(!Checked(1053) && !Checked(1054) && Checked(1055));
        for (int nId : {1095, 1056, 1066, 1067, 1068, 1053, 1054, 1055})
            QVERIFY2(g_EdidConfigPage.IsDlgItemVisible(nId), qPrintable(QString::number(nId)));
        QCOMPARE(g_EdidConfigPage.GetDlgItemText(1069), QStringLiteral("Load All config data success!"));

        // Device name panel: shown up to the first zero byte.
        QCOMPARE(m_pDlg->GetDlgItemText(1081), QStringLiteral("E2E-SWITCHER"));

        // On the wire: the load-all request, then the network parameters
        // request that its reply triggers, and nothing else.
        QTRY_COMPARE_WITH_TIMEOUT(AppWire(), QByteArray("@ R 0e #@ R 40 #"), WAIT_MS);
    }

    void routePressSendsOneFrameAndLogsTheAck() {
        // The page object outlives the windows of earlier tests: blank its
        // MAC address box so that the network parameters reply shows.
        g_IpConfigPage.SetDlgItemText(Dlg132::IDC_MAC, QString());
        Connect();
        // Settle: both start-up replies answered and handled.
        QTRY_COMPARE_WITH_TIMEOUT(AppWire(), QByteArray("@ R 0e #@ R 40 #"), WAIT_MS);
        QTRY_VERIFY_WITH_TIMEOUT(m_pSim->Sent().contains("@40 "), WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(g_PortSetPage.GetDlgItemText(1007), QStringLiteral("4"), WAIT_MS);
        // The network parameters reply handled: its MAC address is shown.
        QTRY_VERIFY_WITH_TIMEOUT(!g_IpConfigPage.GetDlgItemText(Dlg132::IDC_MAC).isEmpty(), WAIT_MS);
        const qsizetype nWireBefore = AppWire().size();
        const qsizetype nAcksBefore = m_pSim->Sent().count("@09 01#");

        Button(g_PortSetPage, 1010)->click();   // output 2, input 3
        QCOMPARE(g_PortSetPage.GetDlgItemText(1012), QStringLiteral("3"));

        QTRY_COMPARE_WITH_TIMEOUT(m_pSim->Sent().count("@09 01#"), nAcksBefore + 1, WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(g_EdidConfigPage.GetDlgItemText(1069), QStringLiteral("Set success!"), WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(PortSetLastLine(), QStringLiteral("Set success!"), WAIT_MS);
        const QStringList aLog = LogLines(g_PortSetPage.GetDlgItemText(1042));
        QCOMPARE(aLog.mid(aLog.size() - 3), (QStringList{QStringLiteral("Set Input 3 to Output 2!"),
                                                          QStringLiteral("Waiting..."),
                                                          QStringLiteral("Set success!")}));
        // The wait has ended: output 2's row is usable again.
        for (int nId = 1008; nId <= 1011; ++nId) QVERIFY(g_PortSetPage.IsDlgItemEnabled(nId));
        QCOMPARE(g_PortSetPage.GetDlgItemText(1012), QStringLiteral("3"));

        // Exactly one frame went out for the press, and nothing after it.
        QTest::qWait(300);
        QCOMPARE(AppWire().mid(nWireBefore), QByteArray("@W 01 02#"));
        QCOMPARE(g_nOutputSource[1], 2);
    }

private:
    // What the application put on the wire.
    QByteArray AppWire() { return m_pSim->Received().mid(m_nPresetBytes); }
    void Connect() {
        Button(*m_pDlg, 1001)->click();
        QCOMPARE(m_pDlg->GetDlgItemText(1001), QStringLiteral("Disconnect!"));
    }
    static QAbstractButton* Button(const CDialog& dlg, int nId) {
        auto* p = dlg.GetItem<QAbstractButton>(nId);
        if (!p) qFatal("no button %d", nId);
        return p;
    }
    static QString PortSetLastLine() {
        const QStringList a = LogLines(g_PortSetPage.GetDlgItemText(1042));
        return a.isEmpty() ? QString() : a.last();
    }
    static bool Checked(int nId) { return Button(g_EdidConfigPage, nId)->isChecked(); }
    static int ComboIndex(int nId) {
        auto* p = g_EdidConfigPage.GetItem<QComboBox>(nId);
        return p ? p->currentIndex() : -100;
    }

    std::unique_ptr<CSimProcess> m_pSim;
    std::unique_ptr<CCorvaneDlg> m_pDlg;
    qsizetype m_nPresetBytes = 0;
};

QTEST_MAIN(AppSimTest)
#include "AppSimTest.moc"
