// After Connect: a switcher that does not answer the whole-configuration
// request is named in the Port Set log after the connect check's wait (3 s
// in the product, shortened here); the frame trace of the window records
// both directions with the port and its device.
#include <QFile>
#include <QTemporaryDir>

#include "tests/app/AppFixture.h"
#include "app/ConnectCheck.h"
#include "link/FrameTrace.h"

class ConnectCheckTest : public AppFixture {
protected:
    // Long enough for a pty round trip on a loaded machine, short enough
    // that the quiet spells below do not dominate the suite.
    static constexpr int kAnswerMs = 800;
    void SetUp() override {
        AppFixture::SetUp();
        SetConnectAnswerMs(kAnswerMs);
    }
    void TearDown() override {
        SetConnectAnswerMs(CONNECT_ANSWER_MS);
        AppFixture::TearDown();
    }
    QString PortSetLog() const { return g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG); }
    void ConnectCom7() {
        OpenMainWindow();
        // The page object outlives a test: its "Clear" starts an empty log.
        auto* pClear = qobject_cast<QAbstractButton*>(g_PortSetPage.GetDlgItem(Dlg130::IDC_CLEAR));
        ASSERT_NE(pClear, nullptr);
        pClear->click();
        PortList()->setCurrentIndex(0);
        Click(Dlg102::IDC_CONNECT);
        ASSERT_EQ(g_bComConnected, 1);
    }
};

TEST_F(ConnectCheckTest, NoAnswerWithinTheWaitIsSaidOnce) {
    CPtyPair& com7 = AddPty(7);
    ConnectCom7();
    ExpectFrame(com7, "@ R 0e #");
    const QString strLine = ConnectNoAnswerLine(QStringLiteral("COM7 (%1)").arg(QString::fromStdString(com7.SlavePath())));
    EXPECT_FALSE(PortSetLog().contains(strLine));
    ASSERT_TRUE(WaitFor([&] { return PortSetLog().contains(strLine); }, 10000)) << PortSetLog().toStdString();
    // Once: another quiet spell adds nothing.
    PumpFor(kAnswerMs + 200);
    EXPECT_EQ(PortSetLog().count(strLine), 1);
}

TEST_F(ConnectCheckTest, AnAnswerOrADisconnectKeepsTheLogQuiet) {
    CPtyPair& com7 = AddPty(7);
    ConnectCom7();
    ExpectFrame(com7, "@ R 0e #");
    com7.Write("@0e 00 01 02 03 00 00 00 00 00 00 00 00 4c 4f 42 42 59 20 20 20 20 20 20 20 20 20 20 20#");
    ASSERT_TRUE(WaitFor([&] { return PortSetLog().contains("Load All config data success!"); }));
    PumpFor(kAnswerMs + 500);
    EXPECT_FALSE(PortSetLog().contains("has not answered")) << PortSetLog().toStdString();

    // Disconnected before the time is up: nothing to say about that port.
    Click(Dlg102::IDC_CONNECT);
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 1);
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 0);
    PumpFor(kAnswerMs + 500);
    EXPECT_FALSE(PortSetLog().contains("has not answered")) << PortSetLog().toStdString();
}

TEST_F(ConnectCheckTest, TheWindowsTraceHasBothDirectionsWithPortAndDevice) {
    QTemporaryDir dir;
    const QString strTrace = dir.filePath("window.log");
    QString strError;
    ASSERT_TRUE(FrameTrace().Open(strTrace, strError));
    CPtyPair& com7 = AddPty(7);
    ConnectCom7();
    ExpectFrame(com7, "@ R 0e #");
    com7.Write("xx@04 00 01 02 03#");
    ASSERT_TRUE(WaitFor([&] { return PortSetLog().contains("Load all ports success!"); }));
    FrameTrace().Close();
    QFile f(strTrace);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) lines << line.section(' ', 1);
    const QString strLink = QStringLiteral("COM7:") + QString::fromStdString(com7.SlavePath());
    EXPECT_EQ(lines, QStringList({"TX " + strLink + " @ R 0e #", "RX-NOISE " + strLink + " xx",
                                  "RX " + strLink + " @04 00 01 02 03#"}));
}
