// The main window with the network link: datagrams of the chosen switcher
// reach the reply handling, every page and the device name panel send over
// UDP when only the network link is open, and the serial link's connect and
// disconnect leave the network link working both ways. The switcher is a
// loopback peer; the page's socket is moved onto a loopback address.
#include <QAbstractButton>

#include "tests/app/AppFixture.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "link/CommandFrames.h"
#include "link/DeviceNameText.h"
#include "resources/Dlg133_NetConfigIds.h"
#include "link/Ipv4Text.h"
#include "tests/support/LoopbackPeers.h"
#include "tests/support/Wait.h"
#include "framework/IPAddressCtrl.h"
#include "link/NetLinkState.h"
#include "link/SearchDecoder.h"
#include "pages/Set_Net_Config.h"
#include "link/Sock_UDP.h"

namespace {

// "@0e" and the 28 bytes of a whole configuration: routing 3,2,1,0, EDID
// modes 1..4 with no flags, the name "NET-SW".
const char* const kWholeConfig =
    "@0e 03 01 00 02 02 00 01 03 00 00 04 00 4e 45 54 2d 53 57 00 00 00 00 00 00 00 00 00 00#";

}  // namespace

class NetLinkApp : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        g_SockUDP.SetSearchDestination(LoopbackIp(9));
    }
    void TearDown() override {
        AppFixture::TearDown();
        g_SockUDP.SetSearchDestination(BROADCAST_IP);
    }

    void PressOnNetPage(int nId) {
        auto* pButton = g_NetConfigPage.GetItem<QAbstractButton>(nId);
        ASSERT_NE(pButton, nullptr) << nId;
        pButton->click();
    }
    // Opens the page's socket, moves it onto loopback and connects to the peer.
    void ConnectOverNetwork(LoopbackPeer& sw, DWORD dwSwitch) {
        g_NetConfigPage.SetDlgItemText(Dlg133::IDC_LOCAL_PORT, QStringLiteral("0"));
        PressOnNetPage(Dlg133::IDC_SOCKET);
        ASSERT_EQ(g_bSocketOpen, 1);
        ASSERT_TRUE(g_SockUDP.Open(0, corvane::link::DottedIp(LoopbackIp(1)).c_str()));
        nLocalPort = g_SockUDP.GetLocalPort();
        g_NetConfigPage.GetItem<CIPAddressCtrl>(Dlg133::IDC_HOST_IP)->SetAddress(dwSwitch);
        PressOnNetPage(Dlg133::IDC_HOST_CONNECT);
        ASSERT_EQ(g_bNetConnected, 1);
        EXPECT_EQ(sw.Receive(), QByteArray("@ R 0e #"));
    }
    // Answers the whole configuration and waits for the follow-up read of the
    // network parameters, which comes back over the network too.
    void AnswerWholeConfig(LoopbackPeer& sw) {
        sw.SendTo(kWholeConfig, LoopbackIp(1), nLocalPort);
        EXPECT_EQ(NextCommand(sw), QByteArray("@ R 40 #"));
        EXPECT_EQ(DeviceNameToText(g_DeviceName), "NET-SW");
        EXPECT_EQ(g_nOutputSource[0], 3);
        EXPECT_EQ(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_1), "4");
    }
    // The next datagram that is not the poll (which may tick in between).
    static QByteArray NextCommand(LoopbackPeer& sw) {
        QByteArray ab;
        do ab = sw.Receive();
        while (ab == "@ R 52 #");
        return ab;
    }

    quint16 nLocalPort = 0;
};

TEST_F(NetLinkApp, WholeConfigurationOverTheNetworkFillsThePagesAndTheNameBox) {
    LoopbackPeer sw(LoopbackIp(21), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    OpenMainWindow();
    const QString strSerialLog = g_IpConfigPage.GetDlgItemText(Dlg132::IDC_LOG);
    ConnectOverNetwork(sw, LoopbackIp(21));
    AnswerWholeConfig(sw);
    EXPECT_EQ(pDlg->GetDlgItemText(Dlg102::IDC_DEVICE_NAME), "NET-SW");
    // Frames over the network are not added to the serial output log.
    EXPECT_EQ(g_IpConfigPage.GetDlgItemText(Dlg132::IDC_LOG), strSerialLog);
}

TEST_F(NetLinkApp, DeviceNamePanelSendsOverTheNetworkWhenOnlyItIsOpen) {
    LoopbackPeer sw(LoopbackIp(22), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    OpenMainWindow();
    ConnectOverNetwork(sw, LoopbackIp(22));
    Click(Dlg102::IDC_GET_NAME);  // Get
    EXPECT_EQ(NextCommand(sw), QByteArray("@ R 20 #"));
    Click(Dlg102::IDC_EDIT_NAME);  // Edit
    qobject_cast<QLineEdit*>(Item(Dlg102::IDC_DEVICE_NAME))->setText("ROOM A");
    Click(Dlg102::IDC_EDIT_NAME);  // Save&Lock
    EXPECT_EQ(NextCommand(sw), QByteArray("@W 20 524f4f4d20 4120202020 202020 20 20 20 #"));
}

TEST_F(NetLinkApp, NetworkLinkWorksBothWaysAfterTheSerialLinkConnectedAndDisconnected) {
    CPtyPair& com3 = AddPty(3);
    LoopbackPeer sw(LoopbackIp(23), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    OpenMainWindow();
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 1);
    ExpectFrame(com3, "@ R 0e #");
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 0);

    ConnectOverNetwork(sw, LoopbackIp(23));
    AnswerWholeConfig(sw);
    auto* pRoute = g_PortSetPage.GetItem<QAbstractButton>(Dlg130::IDC_OUT2_IN3);
    pRoute->click();
    EXPECT_EQ(NextCommand(sw), QByteArray("@W 01 02#"));
    sw.SendTo("@09 01#", LoopbackIp(1), nLocalPort);
    EXPECT_TRUE(WaitFor([&] { return pRoute->isEnabled(); }));
    ExpectNothingMore(com3);
}

// After Disconnect from the switcher, with the socket still open, what it
// sends no longer drives the window: a changed counter asks for no reload
// and a routing reply leaves the displays alone.
TEST_F(NetLinkApp, DisconnectedSwitcherNoLongerDrivesTheWindow) {
    LoopbackPeer sw(LoopbackIp(25), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    OpenMainWindow();
    ConnectOverNetwork(sw, LoopbackIp(25));
    AnswerWholeConfig(sw);
    PressOnNetPage(Dlg133::IDC_HOST_CONNECT);  // Disconnect
    ASSERT_EQ(g_bNetConnected, 0);
    ASSERT_EQ(g_bSocketOpen, 1);
    PumpFor(50);
    while (sw.HasPending()) sw.Receive();  // polls sent before the disconnect

    sw.SendTo("@52 00 07#", LoopbackIp(1), nLocalPort);
    sw.SendTo("@04 01 01 01 01#", LoopbackIp(1), nLocalPort);
    PumpFor(300);
    EXPECT_FALSE(sw.HasPending()) << sw.Receive().toStdString();
    EXPECT_EQ(g_nOutputSource[0], 3);
    EXPECT_EQ(g_PortSetPage.GetDlgItemText(Dlg130::IDC_DISPLAY_1), "4");
}

TEST_F(NetLinkApp, WithBothLinksOpenCommandsGoSerialAndNetworkRepliesAreDropped) {
    CPtyPair& com3 = AddPty(3);
    LoopbackPeer sw(LoopbackIp(24), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    OpenMainWindow();
    ConnectOverNetwork(sw, LoopbackIp(24));
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 1);
    ExpectFrame(com3, "@ R 0e #");

    Click(Dlg102::IDC_GET_NAME);
    ExpectFrame(com3, "@ R 20 #");
    sw.SendTo("@04 02 02 02 02#", LoopbackIp(1), nLocalPort);
    PumpFor(100);
    EXPECT_NE(g_nOutputSource[0], 2);
    // No poll while the serial link is open.
    PumpFor(1200);
    while (sw.HasPending()) EXPECT_NE(sw.Receive(), QByteArray("@ R 52 #"));
}
