// What ./run offers a new user: the main window against corvane-sim on a
// pseudo-terminal as COM1. Connect loads the whole configuration, routing is
// acknowledged, the name written is the name read back.
#include "tests/app/AppFixture.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "tests/support/SimProcess.h"

class SimulatorTest : public AppFixture {
protected:
    void TearDown() override {
        AppFixture::TearDown();
        sim.Stop();
    }
    CSimProcess sim;
};

TEST_F(SimulatorTest, ConnectLoadsTheSwitcherAndRoutingIsAcknowledged) {
    ASSERT_TRUE(sim.Start(SimStart::Quiet())) << "corvane-sim did not start";
    PointComPort(1, sim.SlavePathStd());
    OpenMainWindow();
    ASSERT_EQ(PortEntries(), QStringList({"COM1"}));

    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 1);
    ASSERT_TRUE(WaitFor([] { return g_EdidConfigPage.m_strLog == "Load All config data success!"; }));
    EXPECT_FALSE(Caption(Dlg102::IDC_DEVICE_NAME).isEmpty());
    // The network parameters follow every whole-configuration load.
    EXPECT_TRUE(WaitFor([] { return !g_IpConfigPage.GetDlgItemText(Dlg132::IDC_MAC).isEmpty(); }));
    EXPECT_TRUE(g_IpConfigPage.GetDlgItemText(Dlg132::IDC_LOG).contains("@ R 40 #"));

    // Output 2 to input 3 on the Port Set page.
    qobject_cast<QAbstractButton*>(g_PortSetPage.GetDlgItem(Dlg130::IDC_OUT2_IN3))->click();
    EXPECT_EQ(g_nOutputSource[1], 2);
    EXPECT_TRUE(WaitFor([] { return g_EdidConfigPage.m_strLog == "Set success!"; }));

    // A name written is what the switcher reports back.
    Click(Dlg102::IDC_EDIT_NAME);
    qobject_cast<QLineEdit*>(Item(Dlg102::IDC_DEVICE_NAME))->setText(QString::fromLatin1("B\xFCro 2"));
    Click(Dlg102::IDC_EDIT_NAME);
    qobject_cast<QLineEdit*>(Item(Dlg102::IDC_DEVICE_NAME))->setText("stale");
    Click(Dlg102::IDC_GET_NAME);
    EXPECT_TRUE(WaitFor([this] { return Caption(Dlg102::IDC_DEVICE_NAME) == QString::fromLatin1("B\xFCro 2          "); }));
}
