// The built main window against corvane-sim on a pseudo-terminal: the
// connect, the load-all reply shown on every panel, one routing command with
// its acknowledgement, and the exact bytes that reached the switcher.
#include <QAbstractButton>
#include <QComboBox>
#include <QTest>
#include <memory>

#include "app/CorvaneDlg.h"
#include "link/DeviceState.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "tests/e2e/E2eFixture.h"
#include "pages/EdidConfigPage.h"
#include "pages/IP_SEL_PAGE.h"
#include "pages/PortSetPage.h"
#include "tests/support/SimProcess.h"

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
        BeginWindowCase();
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
        const int nUnexpectedBoxes = EndWindowCase(m_pDlg);
        m_pSim.reset();
        QCOMPARE(nUnexpectedBoxes, 0);
    }

    void connectLoadsEveryPanel() {
        QCOMPARE(m_pDlg->GetDlgItemText(Dlg102::IDC_PORT_LIST), QStringLiteral("COM1"));
        Connect();

        // Port Set: the four number displays.
        QTRY_COMPARE_WITH_TIMEOUT(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_1), QStringLiteral("4"), WAIT_MS);
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_2), QStringLiteral("1"));
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_3), QStringLiteral("2"));
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_4), QStringLiteral("3"));
        QCOMPARE(LogLines(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG)),
                 (QStringList{QStringLiteral("Get All Ports "), QStringLiteral("Load All config data success!")}));

        // EDID Config: modes, option boxes, audio radios, visibility.
        QCOMPARE(ComboIndex(Dlg129::IDC_MODE_1), 2);
        QCOMPARE(ComboIndex(Dlg129::IDC_MODE_2), 0);
        QCOMPARE(ComboIndex(Dlg129::IDC_MODE_3), 5);
        QCOMPARE(ComboIndex(Dlg129::IDC_MODE_4), 3);
        // Input 1, flags a5.
        QVERIFY(Checked(Dlg129::IDC_HDR_1) && Checked(Dlg129::IDC_3D_1) && !Checked(Dlg129::IDC_30BIT_1) && Checked(Dlg129::IDC_36BIT_1) && !Checked(Dlg129::IDC_48BIT_1));
        QVERIFY(!Checked(Dlg129::IDC_AUDIO71_1) && Checked(Dlg129::IDC_AUDIO51_1) && !Checked(Dlg129::IDC_AUDIO20_1));
        // Input 2, flags 58.
        QVERIFY(!Checked(Dlg129::IDC_HDR_2) && !Checked(Dlg129::IDC_3D_2) && Checked(Dlg129::IDC_30BIT_2) && !Checked(Dlg129::IDC_36BIT_2) && Checked(Dlg129::IDC_48BIT_2));
        QVERIFY(Checked(Dlg129::IDC_AUDIO71_2) && !Checked(Dlg129::IDC_AUDIO51_2) && !Checked(Dlg129::IDC_AUDIO20_2));
        // Input 3, "Copy From TV2": its options are hidden, the rest stays.
        for (int nId : {Dlg129::IDC_HDR_3, Dlg129::IDC_3D_3, Dlg129::IDC_30BIT_3, Dlg129::IDC_36BIT_3, Dlg129::IDC_48BIT_3, Dlg129::IDC_AUDIO71_3, Dlg129::IDC_AUDIO51_3, Dlg129::IDC_AUDIO20_3})
            QVERIFY2(!g_EdidConfigPage.IsDlgItemVisible(nId), qPrintable(QString::number(nId)));
        QVERIFY(g_EdidConfigPage.IsDlgItemVisible(Dlg129::IDC_MODE_3));
        QVERIFY(Checked(Dlg129::IDC_AUDIO20_3));
        // Input 4, flags 12.
        QVERIFY(!Checked(Dlg129::IDC_HDR_4) && !Checked(Dlg129::IDC_3D_4) && Checked(Dlg129::IDC_30BIT_4) && !Checked(Dlg129::IDC_36BIT_4) && !Checked(Dlg129::IDC_48BIT_4));
        QVERIFY(!Checked(Dlg129::IDC_AUDIO71_4) && !Checked(Dlg129::IDC_AUDIO51_4) && Checked(Dlg129::IDC_AUDIO20_4));
        for (int nId : {Dlg129::IDC_HDR_4, Dlg129::IDC_3D_4, Dlg129::IDC_30BIT_4, Dlg129::IDC_36BIT_4, Dlg129::IDC_48BIT_4, Dlg129::IDC_AUDIO71_4, Dlg129::IDC_AUDIO51_4, Dlg129::IDC_AUDIO20_4})
            QVERIFY2(g_EdidConfigPage.IsDlgItemVisible(nId), qPrintable(QString::number(nId)));
        QCOMPARE(g_EdidConfigPage.GetDlgItemText(Dlg129::IDC_LOG), QStringLiteral("Load All config data success!"));

        // Device name panel: shown up to the first zero byte.
        QCOMPARE(m_pDlg->GetDlgItemText(Dlg102::IDC_DEVICE_NAME), QStringLiteral("E2E-SWITCHER"));

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
        QTRY_COMPARE_WITH_TIMEOUT(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_1), QStringLiteral("4"), WAIT_MS);
        // The network parameters reply handled: its MAC address is shown.
        QTRY_VERIFY_WITH_TIMEOUT(!g_IpConfigPage.GetDlgItemText(Dlg132::IDC_MAC).isEmpty(), WAIT_MS);
        const qsizetype nWireBefore = AppWire().size();
        const qsizetype nAcksBefore = m_pSim->Sent().count("@09 01#");

        Button(g_PortSetPage, Dlg130::IDC_OUT2_IN3)->click();   // output 2, input 3
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_2), QStringLiteral("3"));

        QTRY_COMPARE_WITH_TIMEOUT(m_pSim->Sent().count("@09 01#"), nAcksBefore + 1, WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(g_EdidConfigPage.GetDlgItemText(Dlg129::IDC_LOG), QStringLiteral("Set success!"), WAIT_MS);
        QTRY_COMPARE_WITH_TIMEOUT(PortSetLastLine(), QStringLiteral("Set success!"), WAIT_MS);
        const QStringList aLog = LogLines(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG));
        QCOMPARE(aLog.mid(aLog.size() - 3), (QStringList{QStringLiteral("Set Input 3 to Output 2!"),
                                                          QStringLiteral("Waiting..."),
                                                          QStringLiteral("Set success!")}));
        // The wait has ended: output 2's row is usable again.
        for (int nId : Dlg130::ROUTE[1]) QVERIFY(g_PortSetPage.IsDlgItemEnabled(nId));
        QCOMPARE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_2), QStringLiteral("3"));

        // Exactly one frame went out for the press, and nothing after it.
        QTest::qWait(300);
        QCOMPARE(AppWire().mid(nWireBefore), QByteArray("@W 01 02#"));
        QCOMPARE(g_nOutputSource[1], 2);
    }

private:
    // What the application put on the wire.
    QByteArray AppWire() { return m_pSim->Received().mid(m_nPresetBytes); }
    void Connect() {
        Button(*m_pDlg, Dlg102::IDC_CONNECT)->click();
        QCOMPARE(m_pDlg->GetDlgItemText(Dlg102::IDC_CONNECT), QStringLiteral("Disconnect!"));
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
