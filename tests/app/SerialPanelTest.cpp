// The serial connection panel against pseudo-terminals standing in for COM
// ports: probing, the port list, connect and disconnect, failures.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "tests/app/AppFixture.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "app/SerialErrorText.h"
#include "tests/support/TempFile.h"
#include "tests/support/TtyHeld.h"

class SerialPanelTest : public AppFixture {};

TEST_F(SerialPanelTest, ListsOnlyThePortsThatOpenWithTheirDevicePaths) {
    CPtyPair& com3 = AddPty(3);
    CPtyPair& com7 = AddPty(7);
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
    Click(Dlg102::IDC_SEARCH);
    EXPECT_EQ(PortEntries(), QStringList({"COM12"}));
}

TEST_F(SerialPanelTest, ConnectAsksForTheWholeConfigurationAndDisconnectReleases) {
    CPtyPair& com7 = AddPty(7);
    AddPty(3);
    OpenMainWindow();
    PortList()->setCurrentIndex(1);
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 1);
    EXPECT_EQ(Caption(Dlg102::IDC_CONNECT), "Disconnect!");
    EXPECT_FALSE(pDlg->IsDlgItemEnabled(Dlg102::IDC_PORT_LIST));
    EXPECT_FALSE(pDlg->IsDlgItemEnabled(Dlg102::IDC_SEARCH));
    ExpectFrame(com7, "@ R 0e #");
    EXPECT_EQ(g_EdidConfigPage.m_strLog, "Get All Ports ");
    EXPECT_TRUE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG).contains("Get All Ports "));
    EXPECT_TRUE(g_IpConfigPage.GetDlgItemText(Dlg132::IDC_LOG).contains("@ R 0e #"));

    // The whole-configuration reply fills the pages and the name box, then
    // the network parameters are read.
    com7.Write("@0e 01 02 00 03 00 00 00 00 00 00 00 00 "
               "4c 4f 42 42 59 20 20 20 20 20 20 20 20 20 20 20#");
    ASSERT_TRUE(WaitFor([&] { return Caption(Dlg102::IDC_DEVICE_NAME) == "LOBBY           "; }));
    EXPECT_EQ(g_nOutputSource[0], 1);
    EXPECT_EQ(g_nOutputSource[1], 3);
    EXPECT_EQ(g_EdidConfigPage.m_strLog, "Load All config data success!");
    ExpectFrame(com7, "@ R 40 #");

    // A search while connected changes nothing.
    pDlg->ScanPorts();
    EXPECT_EQ(PortEntries(), QStringList({"COM3", "COM7"}));

    Click(Dlg102::IDC_CONNECT);
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(Caption(Dlg102::IDC_CONNECT), "Connect");
    EXPECT_TRUE(pDlg->IsDlgItemEnabled(Dlg102::IDC_PORT_LIST));
    EXPECT_TRUE(pDlg->IsDlgItemEnabled(Dlg102::IDC_SEARCH));
    EXPECT_FALSE(g_SerialPort.IsMonitorAlive());
    // Nothing more goes out once disconnected.
    pDlg->OnGetDeviceName();
    ExpectNothingMore(com7);
}

TEST_F(SerialPanelTest, FailedConnectSaysSoSendsNothingAndProbesAgain) {
    OpenMainWindow();
    PortList()->setCurrentIndex(4);
    MessageBoxScript::Expect("Cannot open serial port");
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    const auto& box = MessageBoxScript::History()[0];
    EXPECT_EQ(box.strText, "Cannot open serial port");
    EXPECT_TRUE(box.strInformative.contains("/nonexistent/corvane-test/com5"));
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(Caption(Dlg102::IDC_CONNECT), "Connect");
    // The fresh probe rebuilt the list and selected its first entry.
    EXPECT_EQ(PortList()->count(), 30);
    EXPECT_EQ(PortList()->currentIndex(), 0);
    EXPECT_EQ(g_EdidConfigPage.m_strLog.contains("Get All Ports"), false);
}

// A file this user may not open (root may open anything). Its group is not
// dialout, so the box names the user and the path instead of the group.
TEST_F(SerialPanelTest, PermissionProblemNamesTheUserAndThePath) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens any device file; no permission error to provoke";
    const CTempFile file("corvane-noaccess-tty-");
    const std::string& strPath = file.Path();
    ASSERT_FALSE(strPath.empty());
    ::chmod(strPath.c_str(), 0);
    PointComPort(5, strPath);
    OpenMainWindow();
    PortList()->setCurrentIndex(4);
    MessageBoxScript::Expect("Cannot open serial port");
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    const QString strDetails = MessageBoxScript::History()[0].strInformative;
    EXPECT_TRUE(strDetails.startsWith(QStringLiteral("COM5 (%1): ").arg(QString::fromStdString(strPath))))
        << strDetails.toStdString();
    EXPECT_TRUE(strDetails.contains(QStringLiteral("User \"%1\" has no read and write access to %2.")
                                        .arg(CurrentUserName(), QString::fromStdString(strPath))))
        << strDetails.toStdString();
    EXPECT_FALSE(strDetails.contains("dialout"));
}

TEST(OpenFailureDetails, DialoutAdviceOnlyForDevicesOfThatGroup) {
    OpenFailureFacts facts{EACCES, "/dev/ttyUSB2", "dialout", "ann", {}};
    const QString strDialout = OpenFailureDetails(3, "Permission denied", facts);
    EXPECT_TRUE(strDialout.startsWith("COM3 (/dev/ttyUSB2): Permission denied\n\n"));
    EXPECT_TRUE(strDialout.contains("group \"dialout\""));
    EXPECT_TRUE(strDialout.contains("sudo adduser ann dialout"));

    facts.strGroup = "plugdev";
    const QString strOther = OpenFailureDetails(3, "Permission denied", facts);
    EXPECT_FALSE(strOther.contains("dialout"));
    EXPECT_TRUE(strOther.endsWith("User \"ann\" has no read and write access to /dev/ttyUSB2."));

    // Neither a permission problem nor a busy port: the reason alone, whatever the group.
    facts = {EIO, "/dev/ttyUSB2", "dialout", "ann", {}};
    EXPECT_EQ(OpenFailureDetails(3, "Input/output error", facts), "COM3 (/dev/ttyUSB2): Input/output error");
}

// Another program holds the port: the box keeps its message and says who
// holds it, here this very process through a flock (as /proc/locks tells).
TEST_F(SerialPanelTest, ABusyPortNamesTheProgramThatHoldsIt) {
    CPtyPair& com3 = AddPty(3);
    ASSERT_TRUE(com3.IsOpen());
    const int fd = ::open(com3.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    OpenMainWindow();
    PortList()->setCurrentIndex(2);
    ASSERT_EQ(pDlg->SelectedPortNumber(), 3);
    MessageBoxScript::Expect("Cannot open serial port");
    Click(Dlg102::IDC_CONNECT);
    ::close(fd);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(MessageBoxScript::History()[0].strText, "Cannot open serial port");
    const QString strDetails = MessageBoxScript::History()[0].strInformative;
    EXPECT_TRUE(strDetails.startsWith(
        QStringLiteral("COM3 (%1): Device or resource busy\n\n").arg(QString::fromStdString(com3.SlavePath()))))
        << strDetails.toStdString();
    EXPECT_TRUE(strDetails.contains(QStringLiteral("Another program holds the port: ")));
    EXPECT_TRUE(strDetails.contains(QStringLiteral("(process %1)").arg(::getpid()))) << strDetails.toStdString();
    EXPECT_EQ(g_bComConnected, 0);
}

TEST_F(SerialPanelTest, NoSelectionIsAnInvalidPort) {
    OpenMainWindow();
    PortList()->setCurrentIndex(-1);
    MessageBoxScript::Expect("Current Select serial port is invalid!");
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(MessageBoxScript::History()[0].strText, "Current Select serial port is invalid!");
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(PortList()->count(), 30);
}

// The port box has an edit field: what it shows is what Connect opens.
TEST_F(SerialPanelTest, TypedPortTextNamesTheEntryOrNone) {
    CPtyPair& com3 = AddPty(3);
    AddPty(7);
    OpenMainWindow();
    PortList()->setEditText(" com7");
    EXPECT_EQ(pDlg->SelectedPortNumber(), 7);

    // Text that names no entry must not connect the entry still selected behind it.
    PortList()->setEditText("COM9");
    MessageBoxScript::Expect("Current Select serial port is invalid!");
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(g_bComConnected, 0);
    ExpectNothingMore(com3);
}

// The probe only tries each port, Disconnect closes the port in use and opens
// no other one, closing the window leaves nothing open: no device stays held
// (open, or marked exclusive against every other program).
TEST_F(SerialPanelTest, NoDeviceStaysHeldAfterProbeDisconnectOrClose) {
    CPtyPair& com3 = AddPty(3);
    CPtyPair& com7 = AddPty(7);
    CPtyPair& com29 = AddPty(29);
    auto expectNoneHeld = [&](const char* pszWhen) {
        for (CPtyPair* pPty : {&com3, &com7, &com29}) {
            EXPECT_EQ(DescriptorsOn(pPty->SlavePath()), 0) << pszWhen << ": " << pPty->SlavePath();
            EXPECT_EQ(ExclusiveFlag(pPty->SlavePath()), 0) << pszWhen << ": " << pPty->SlavePath();
        }
    };
    OpenMainWindow();
    EXPECT_EQ(PortEntries(), QStringList({"COM3", "COM7", "COM29"}));
    expectNoneHeld("after the probe");

    PortList()->setCurrentIndex(1);
    Click(Dlg102::IDC_CONNECT);
    ExpectFrame(com7, "@ R 0e #");
    EXPECT_EQ(DescriptorsOn(com7.SlavePath()), 1);
    EXPECT_EQ(DescriptorsOn(com29.SlavePath()), 0);
    Click(Dlg102::IDC_CONNECT);
    EXPECT_EQ(Caption(Dlg102::IDC_CONNECT), "Connect");
    expectNoneHeld("after Disconnect");

    // The port opens again for the next Connect.
    Click(Dlg102::IDC_CONNECT);
    ExpectFrame(com7, "@ R 0e #");
    pDlg->Shutdown();
    expectNoneHeld("after the window closed");
}

// Without a port that opens at 9600 in its place, closing a connection and
// the window show no configuration error box (a file is no tty: every
// configuration step on it fails).
TEST_F(SerialPanelTest, DisconnectAndCloseRaiseNoBoxes) {
    AddPty(7);
    const CTempFile file("corvane-not-a-tty-");
    ASSERT_FALSE(file.Path().empty());
    PointComPort(29, file.Path());
    OpenMainWindow();
    // The probe's one box for the port that refuses its settings.
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    MessageBoxScript::Clear();
    PortList()->setCurrentIndex(0);
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 1);
    Click(Dlg102::IDC_CONNECT);
    Click(Dlg102::IDC_CONNECT);
    pDlg->Shutdown();
    EXPECT_TRUE(MessageBoxScript::History().empty());
}

// The device goes away while connected: the "Application Error" box says
// which port and device stopped answering and what to do; Disconnect! then
// releases it.
TEST_F(SerialPanelTest, LostDeviceBoxExplainsWhatHappenedAndWhatToDo) {
    CPtyPair& com2 = AddPty(2);
    OpenMainWindow();
    Click(Dlg102::IDC_CONNECT);
    ExpectFrame(com2, "@ R 0e #");
    com2.CloseMaster();
    ASSERT_TRUE(WaitFor([] { return !MessageBoxScript::History().empty(); }));
    const auto box = MessageBoxScript::History()[0];
    // The box's text is the driver's error, unknown in advance; it is checked
    // here instead of being expected.
    MessageBoxScript::Clear();
    EXPECT_EQ(box.strCaption, "Application Error");
    EXPECT_TRUE(box.strText.startsWith("WARNING:  ")) << box.strText.toStdString();
    EXPECT_TRUE(box.strInformative.startsWith(QStringLiteral("COM2 (%1) stopped answering")
                                                  .arg(QString::fromStdString(com2.SlavePath()))))
        << box.strInformative.toStdString();
    EXPECT_TRUE(box.strInformative.contains("unplugged or switched off"));
    EXPECT_TRUE(box.strInformative.contains("Press \"Disconnect!\", then \"Connect\" once the device is back."));

    EXPECT_EQ(Caption(Dlg102::IDC_CONNECT), "Disconnect!");
    Click(Dlg102::IDC_CONNECT);
    EXPECT_EQ(Caption(Dlg102::IDC_CONNECT), "Connect");
    EXPECT_FALSE(g_SerialPort.IsOpen());
    EXPECT_EQ(MessageBoxScript::History().size(), 0u);
}
