// The serial connection panel against pseudo-terminals standing in for COM
// ports: probing, the port list, connect and disconnect, failures.
#include <unistd.h>

#include "AppFixture.h"
#include "Dlg132_IpConfigIds.h"

class SerialPanelTest : public AppFixture {};

TEST_F(SerialPanelTest, ListsOnlyThePortsThatOpenWithTheirDevicePaths) {
    PtyPair& com3 = AddPty(3);
    PtyPair& com7 = AddPty(7);
    ASSERT_TRUE(com3.IsOpen() && com7.IsOpen());
    OpenMainWindow();
    EXPECT_EQ(PortEntries(), QStringList({"COM3", "COM7"}));
    EXPECT_EQ(g_bPortsFound, 1);
    EXPECT_EQ(g_nFoundPorts[0], 3);
    EXPECT_EQ(g_nFoundPorts[1], 7);
    EXPECT_EQ(PortList()->currentIndex(), 0);
    EXPECT_EQ(PortList()->itemData(0, Qt::ToolTipRole).toString(), QString::fromStdString(com3.SlavePath()));
    EXPECT_EQ(PortList()->itemData(1, Qt::ToolTipRole).toString(), QString::fromStdString(com7.SlavePath()));
    EXPECT_EQ(pDlg->SelectedPortNumber(), 3);
    PortList()->setCurrentIndex(1);
    EXPECT_EQ(pDlg->SelectedPortNumber(), 7);
}

TEST_F(SerialPanelTest, ListsAllThirtyWhenNoneOpens) {
    OpenMainWindow();
    QStringList aAll;
    for (int n = 1; n <= 30; ++n) aAll << QStringLiteral("COM%1").arg(n);
    EXPECT_EQ(PortEntries(), aAll);
    EXPECT_EQ(g_bPortsFound, 0);
    EXPECT_EQ(PortList()->itemData(4, Qt::ToolTipRole).toString(), "/nonexistent/corvane-test/com5");
    PortList()->setCurrentIndex(29);
    EXPECT_EQ(pDlg->SelectedPortNumber(), 30);
}

TEST_F(SerialPanelTest, SearchFindsAPortThatAppearedLater) {
    OpenMainWindow();
    EXPECT_EQ(PortList()->count(), 30);
    AddPty(12);
    Click(1106);
    EXPECT_EQ(PortEntries(), QStringList({"COM12"}));
}

TEST_F(SerialPanelTest, ConnectAsksForTheWholeConfigurationAndDisconnectReleases) {
    PtyPair& com7 = AddPty(7);
    AddPty(3);
    OpenMainWindow();
    PortList()->setCurrentIndex(1);
    Click(1001);
    ASSERT_EQ(g_bComConnected, 1);
    EXPECT_EQ(Caption(1001), "Disconnect!");
    EXPECT_FALSE(pDlg->IsDlgItemEnabled(1000));
    EXPECT_FALSE(pDlg->IsDlgItemEnabled(1106));
    EXPECT_EQ(com7.ReadUntilQuiet(), "@ R 0e #");
    EXPECT_EQ(g_EdidConfigPage.m_strLog, "Get All Ports ");
    EXPECT_TRUE(g_PortSetPage.GetDlgItemText(1042).contains("Get All Ports "));
    EXPECT_TRUE(g_IpConfigPage.GetDlgItemText(Dlg132::IDC_LOG).contains("@ R 0e #"));

    // The whole-configuration reply fills the pages and the name box, then
    // the network parameters are read.
    com7.Write("@0e 01 02 00 03 00 00 00 00 00 00 00 00 "
               "4c 4f 42 42 59 20 20 20 20 20 20 20 20 20 20 20#");
    ASSERT_TRUE(WaitFor([&] { return Caption(1081) == "LOBBY           "; }));
    EXPECT_EQ(g_nOutputSource[0], 1);
    EXPECT_EQ(g_nOutputSource[1], 3);
    EXPECT_EQ(g_EdidConfigPage.m_strLog, "Load All config data success!");
    EXPECT_EQ(com7.ReadUntilQuiet(), "@ R 40 #");

    // A search while connected changes nothing.
    pDlg->ScanPorts();
    EXPECT_EQ(PortEntries(), QStringList({"COM3", "COM7"}));

    Click(1001);
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(Caption(1001), "Connect");
    EXPECT_TRUE(pDlg->IsDlgItemEnabled(1000));
    EXPECT_TRUE(pDlg->IsDlgItemEnabled(1106));
    EXPECT_FALSE(g_SerialPort.IsMonitorAlive());
    // Nothing more goes out once disconnected.
    pDlg->OnGetDeviceName();
    EXPECT_EQ(com7.ReadUntilQuiet(), "");
}

TEST_F(SerialPanelTest, FailedConnectSaysSoSendsNothingAndProbesAgain) {
    OpenMainWindow();
    PortList()->setCurrentIndex(4);
    MessageBoxScript::Expect("Cannot open serial port");
    Click(1001);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    const auto& box = MessageBoxScript::History()[0];
    EXPECT_EQ(box.strText, "Cannot open serial port");
    EXPECT_TRUE(box.strInformative.contains("/nonexistent/corvane-test/com5"));
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(Caption(1001), "Connect");
    // The fresh probe rebuilt the list and selected its first entry.
    EXPECT_EQ(PortList()->count(), 30);
    EXPECT_EQ(PortList()->currentIndex(), 0);
    EXPECT_EQ(g_EdidConfigPage.m_strLog.contains("Get All Ports"), false);
}

TEST_F(SerialPanelTest, PermissionProblemNamesTheDialoutGroup) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens any device file; no permission error to provoke";
    const std::string strPath = ::testing::TempDir() + "corvane-noaccess-tty";
    FILE* pFile = std::fopen(strPath.c_str(), "w");
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);
    ::chmod(strPath.c_str(), 0);
    setenv(EnvName(5).c_str(), strPath.c_str(), 1);
    OpenMainWindow();
    PortList()->setCurrentIndex(4);
    MessageBoxScript::Expect("Cannot open serial port");
    Click(1001);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::History()[0].strInformative.contains("dialout"));
    ::unlink(strPath.c_str());
}

TEST_F(SerialPanelTest, NoSelectionIsAnInvalidPort) {
    OpenMainWindow();
    PortList()->setCurrentIndex(-1);
    MessageBoxScript::Expect("Current Select serial port is invalid!");
    Click(1001);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(MessageBoxScript::History()[0].strText, "Current Select serial port is invalid!");
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(PortList()->count(), 30);
}

// The port box has an edit field: what it shows is what Connect opens.
TEST_F(SerialPanelTest, TypedPortTextNamesTheEntryOrNone) {
    PtyPair& com3 = AddPty(3);
    AddPty(7);
    OpenMainWindow();
    PortList()->setEditText(" com7");
    EXPECT_EQ(pDlg->SelectedPortNumber(), 7);

    // Text that names no entry must not connect the entry still selected behind it.
    PortList()->setEditText("COM9");
    MessageBoxScript::Expect("Current Select serial port is invalid!");
    Click(1001);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(com3.ReadUntilQuiet(), "");
}
