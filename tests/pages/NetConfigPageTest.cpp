// Net Config page through its control IDs: the three states (socket closed,
// open, connected), opening failures, search results with the device list
// and the device numbers, CLEAR, the host connection with its poll, IE, and
// the other pages' waits over the network. Searches go to a loopback peer;
// replies are datagrams from 127.x.y.z peers or are fed to the receive logic
// with a loopback sender.
#include <QAbstractButton>
#include <QComboBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLineEdit>
#include <QUrl>
#include <cerrno>
#include <memory>

#include "resources/Dlg133_NetConfigIds.h"
#include "link/Ipv4Text.h"
#include "tests/support/LoopbackPeers.h"
#include "tests/support/Wait.h"
#include "framework/IPAddressCtrl.h"
#include "framework/MessageBox.h"
#include "link/NetLinkState.h"
#include "link/NetReceive.h"
#include "tests/pages/PageFixture.h"
#include "link/PcAddress.h"
#include "link/SearchDecoder.h"
#include "pages/Set_Net_Config.h"
#include "link/Sock_UDP.h"
#include "link/UdpLink.h"

using namespace Dlg133;

namespace {

const std::initializer_list<int> kHostGroup = {
    IDC_HOST_GROUP,  IDC_HOST_IP_LABEL, IDC_DEVICE_NUMBER_LABEL, IDC_HOST_IP, IDC_SEARCH, IDC_DEVICE_NUMBER,
    IDC_DEVICE_LIST, IDC_CLEAR,         IDC_HOST_CONNECT,        IDC_WEB_PAGE};
const std::initializer_list<int> kHostChoice = {IDC_HOST_IP, IDC_SEARCH, IDC_DEVICE_NUMBER, IDC_DEVICE_LIST, IDC_CLEAR};

enum class State { SocketClosed, SocketOpen, Connected };

// Datagrams of the chosen switcher go through the network link into the
// reply decoding, as the main window hands them on.
class RxIntoPages : public INetRxOwner {
public:
    explicit RxIntoPages(IReplyTarget& target) {
        Link().SetBytesHandler([&target](const char* pData, std::size_t nLen) { RxFeedBytes(pData, nLen, target); });
    }
    ~RxIntoPages() override { Link().SetBytesHandler(nullptr); }
    void OnNetRxData(const char* pData, int nLen) override { Link().OnNetRxData(pData, nLen); }

private:
    static corvane::link::UdpLink& Link() { return corvane::link::TheUdpLink(); }
};

// Records the URLs the desktop would have opened.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

}  // namespace

class NetConfigPage : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        ResetNetLinkState();
        ResetSearchDecoder();
        g_SockUDP.SetSearchDestination(LoopbackIp(9));
        g_SockUDP.SetRxOwner(&rxOwner);
        ASSERT_TRUE(net.Create(nullptr));
        net.InitControls();
        net.ShowWindow(TRUE);
    }
    void TearDown() override {
        g_SockUDP.Close();
        g_SockUDP.SetRxOwner(nullptr);
        g_SockUDP.SetSearchOwner(nullptr);
        g_SockUDP.SetSearchDestination(BROADCAST_IP);
        net.DestroyWindow();
        ResetNetLinkState();
        PageFixture::TearDown();
    }

    // Works on hidden buttons too (QAbstractButton::click needs only enabled).
    void Press(int nId) {
        auto* pButton = net.GetItem<QAbstractButton>(nId);
        ASSERT_NE(pButton, nullptr) << nId;
        pButton->click();
    }
    CIPAddressCtrl* Ip(int nId) { return net.GetItem<CIPAddressCtrl>(nId); }
    QComboBox* Combo() { return net.GetItem<QComboBox>(IDC_DEVICE_NUMBER); }
    QStringList ComboItems() {
        QStringList items;
        for (int i = 0; i < Combo()->count(); ++i) items << Combo()->itemText(i);
        return items;
    }
    DWORD Address(int nId) {
        DWORD dw = 0;
        Ip(nId)->GetAddress(dw);
        return dw;
    }
    void ChooseItem(int nIndex) {
        Combo()->setCurrentIndex(nIndex);
        emit Combo()->activated(nIndex);
    }
    // Opens the socket with the port box's text; port 0 lets the system choose.
    void OpenSocket(const QString& strPort = QStringLiteral("0")) {
        net.SetDlgItemText(IDC_LOCAL_PORT, strPort);
        Press(IDC_SOCKET);
    }
    // The page's socket moved onto a loopback address, so that loopback peers
    // can answer it; the page sees no difference.
    void RebindOnLoopback() {
        ASSERT_TRUE(g_SockUDP.Open(0, corvane::link::DottedIp(LoopbackIp(1)).c_str()));
        nLocalPort = g_SockUDP.GetLocalPort();
    }
    void Reply(const std::string& s, DWORD dwFrom) {
        NetReceive(s.data(), static_cast<int>(s.size()), dwFrom, &net, &rxOwner);
    }
    void ConnectTo(DWORD dwHost) {
        Ip(IDC_HOST_IP)->SetAddress(dwHost);
        Press(IDC_HOST_CONNECT);
    }

    void ExpectState(State state) {
        const bool bOpen = state != State::SocketClosed;
        const bool bConnected = state == State::Connected;
        EXPECT_EQ(g_bSocketOpen, bOpen ? 1 : 0);
        EXPECT_EQ(g_bNetConnected, bConnected ? 1 : 0);
        for (int nId : {IDC_LOCAL_IP, IDC_LOCAL_PORT, IDC_SOCKET}) EXPECT_TRUE(net.IsDlgItemVisible(nId)) << nId;
        EXPECT_EQ(net.IsDlgItemEnabled(IDC_LOCAL_IP), !bOpen);
        EXPECT_EQ(net.IsDlgItemEnabled(IDC_LOCAL_PORT), !bOpen);
        EXPECT_EQ(net.GetDlgItemText(IDC_SOCKET), bOpen ? "Disconnect" : "Connect");
        for (int nId : kHostGroup) EXPECT_EQ(net.IsDlgItemVisible(nId), bOpen) << nId;
        if (bOpen) {
            for (int nId : kHostChoice) EXPECT_EQ(net.IsDlgItemEnabled(nId), !bConnected) << nId;
            EXPECT_EQ(net.GetDlgItemText(IDC_HOST_CONNECT), bConnected ? "Disconnect" : "Connect");
        }
        EXPECT_EQ(net.IsDlgItemEnabled(IDC_WEB_PAGE), bConnected);
        EXPECT_FALSE(net.IsDlgItemVisible(IDC_HOST_PORT_LABEL));
        EXPECT_FALSE(net.IsDlgItemVisible(IDC_HOST_PORT));
        EXPECT_EQ(net.IsTimerRunning(CNetConfigPage::TIMER_POLL), bConnected);
    }

    QString PcLine() const { return PcHostName() + " " + QString::fromStdString(corvane::link::DottedIp(PcIpv4Address())) + " \r\n"; }

    CNetConfigPage net;
    RxIntoPages rxOwner{target};
    quint16 nLocalPort = 0;
};

TEST_F(NetConfigPage, AtStartOnlyThePcGroupShowsWithTheDefaultsAndThePcAddress) {
    ExpectState(State::SocketClosed);
    EXPECT_EQ(net.GetDlgItemText(IDC_LOCAL_PORT), "5001");
    EXPECT_EQ(net.GetDlgItemText(IDC_HOST_PORT), "5000");
    EXPECT_EQ(Address(IDC_LOCAL_IP), PcIpv4Address());
    EXPECT_EQ(net.GetDlgItemText(IDC_DEVICE_LIST), PcLine());
    EXPECT_LE(PcHostName().size(), PC_HOST_NAME_MAX);
    EXPECT_EQ(g_dwHostIp, NO_HOST_IP);
    EXPECT_EQ(g_bSearching, 0);
}

TEST_F(NetConfigPage, SocketButtonMovesBetweenClosedAndOpenAndBindsThePcAddress) {
    Ip(IDC_LOCAL_IP)->SetAddress(10, 9, 8, 7);  // replaced by the looked-up address
    OpenSocket(QString());                      // empty: the system picks a port
    ExpectState(State::SocketOpen);
    EXPECT_EQ(Address(IDC_LOCAL_IP), PcIpv4Address());
    EXPECT_NE(g_SockUDP.GetLocalPort(), 0);
    EXPECT_TRUE(MessageBoxScript::History().empty());

    Press(IDC_SOCKET);
    ExpectState(State::SocketClosed);
    EXPECT_FALSE(g_SockUDP.IsOpen());
    EXPECT_FALSE(net.IsDlgItemEnabled(IDC_WEB_PAGE));
}

TEST_F(NetConfigPage, PortOutsideTheRangeOrInUseIsRefusedWithTheErrorNumberAndReason) {
    for (const char* pszPort : {"70000", "-1", "65536", "99999999999999999999"}) {
        MessageBoxScript::Clear();
        MessageBoxScript::Expect(QStringLiteral("Create Socket Error\uFF1A%1").arg(EINVAL));
        OpenSocket(QString::fromLatin1(pszPort));
        ASSERT_EQ(MessageBoxScript::History().size(), 1u) << pszPort;
        const auto& box = MessageBoxScript::History()[0];
        EXPECT_EQ(box.nType, UINT(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_TRUE(box.strInformative.contains("outside 0 to 65535")) << box.strInformative.toStdString();
        ExpectState(State::SocketClosed);
    }

    QUdpSocket holder;  // binding only: nothing is sent
    ASSERT_TRUE(holder.bind(QHostAddress(PcIpv4Address()), 0));
    MessageBoxScript::Clear();
    MessageBoxScript::Expect(QStringLiteral("Create Socket Error\uFF1A%1").arg(EADDRINUSE));
    OpenSocket(QString::number(holder.localPort()));
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_FALSE(MessageBoxScript::History()[0].strInformative.isEmpty());
    ExpectState(State::SocketClosed);

    // Text without a number reads as 0, as an empty box does.
    OpenSocket(QStringLiteral("abc"));
    ExpectState(State::SocketOpen);
}

TEST_F(NetConfigPage, SearchWithoutSocketSaysSoAndSendsNothing) {
    MessageBoxScript::Expect(QStringLiteral("sock is disconnect!"));
    Press(IDC_SEARCH);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(g_bSearching, 0);
    EXPECT_EQ(net.GetDlgItemText(IDC_DEVICE_LIST), PcLine());
}

TEST_F(NetConfigPage, SearchClearsTheListThenListsRepliesAndProposesTheFirst) {
    LoopbackPeer sw1(LoopbackIp(9), DEVICE_UDP_PORT), sw2(LoopbackIp(10), 0);
    ASSERT_TRUE(sw1.IsBound());
    OpenSocket();
    RebindOnLoopback();
    Press(IDC_SEARCH);
    EXPECT_EQ(g_bSearching, 1);
    EXPECT_EQ(net.GetDlgItemText(IDC_DEVICE_LIST), "");
    EXPECT_EQ(Combo()->count(), 0);
    EXPECT_EQ(sw1.Receive(), QByteArray("@R20#"));

    sw1.SendTo("@20 48 61 6c 6c 2d 41#", LoopbackIp(1), nLocalPort);
    ASSERT_TRUE(WaitUntil([] { return g_nDeviceCount == 1; }, 5000));
    sw2.SendTo("@W2048616c6c2d42#", LoopbackIp(1), nLocalPort);
    ASSERT_TRUE(WaitUntil([] { return g_nDeviceCount == 2; }, 5000));

    EXPECT_EQ(net.GetDlgItemText(IDC_DEVICE_LIST),
              QString::fromStdString("1->IP=" + corvane::link::DottedIp(LoopbackIp(9)) +
                                     "   Name=Hall-A\r\n2->IP=" + corvane::link::DottedIp(LoopbackIp(10)) + "   Name=Hall-B\r\n"));
    EXPECT_EQ(ComboItems(), QStringList({"1", "2"}));
    EXPECT_EQ(Combo()->currentIndex(), 0);
    EXPECT_EQ(Address(IDC_HOST_IP), LoopbackIp(9));
    EXPECT_EQ(g_dwHostIp, NO_HOST_IP);  // only Connect chooses
    EXPECT_TRUE(frames.empty());        // search replies never reach the reply decoding
}

TEST_F(NetConfigPage, ChoosingANumberShowsItsAddressOnlyAndKeepsItsEntryAfterClear) {
    OpenSocket();
    Press(IDC_SEARCH);
    for (int i = 0; i < 5; ++i) Reply("@20 41#", LoopbackIp(20 + i));
    ChooseItem(3);
    EXPECT_EQ(Address(IDC_HOST_IP), LoopbackIp(23));
    EXPECT_EQ(g_dwHostIp, NO_HOST_IP);

    // CLEAR empties list and combo, not the table: the next reply is number
    // 6, sits first in the combo and still stands for the sixth switcher.
    Press(IDC_CLEAR);
    EXPECT_EQ(net.GetDlgItemText(IDC_DEVICE_LIST), "");
    EXPECT_EQ(Combo()->count(), 0);
    EXPECT_EQ(g_nDeviceCount, 5u);
    Reply("@20 42#", LoopbackIp(25));
    EXPECT_EQ(ComboItems(), QStringList({"6"}));
    EXPECT_TRUE(net.GetDlgItemText(IDC_DEVICE_LIST).startsWith("6->IP="));
    ChooseItem(0);
    EXPECT_EQ(Address(IDC_HOST_IP), LoopbackIp(25));
}

TEST_F(NetConfigPage, FullTableRaisesOneNoticePerSearch) {
    OpenSocket();
    Press(IDC_SEARCH);
    MessageBoxScript::Expect(QStringLiteral("Error!Max device number is 300"));
    for (int i = 0; i < MAX_DEVICE_NUM + 40; ++i) Reply("@20 41#", LoopbackIp(1) + 0x100 + i);
    EXPECT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(MessageBoxScript::History()[0].nType, UINT(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Combo()->count(), MAX_DEVICE_NUM);
}

TEST_F(NetConfigPage, ConnectWithoutHostAddressSaysSoAndStaysOpen) {
    OpenSocket();
    MessageBoxScript::Expect(QStringLiteral("Host IP is Null !"));
    Press(IDC_HOST_CONNECT);  // 1084 is blank
    EXPECT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(g_dwHostIp, 0u);
    ExpectState(State::SocketOpen);
}

// 255.255.255.255 is no switcher's address: nothing could be sent to it and
// nothing comes from it, so Connect refuses it as it refuses an empty one.
TEST_F(NetConfigPage, ConnectToTheBroadcastAddressIsRefused) {
    OpenSocket();
    MessageBoxScript::Expect(QStringLiteral("Host IP is Null !"));
    ConnectTo(BROADCAST_IP);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(MessageBoxScript::History()[0].nType, UINT(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_TRUE(MessageBoxScript::History()[0].strInformative.contains("255.255.255.255"));
    EXPECT_EQ(g_dwHostIp, NO_HOST_IP);
    ExpectState(State::SocketOpen);
}

TEST_F(NetConfigPage, ConnectReadsAllThenPollsEverySecondUnlessTheSerialLinkIsOpen) {
    LoopbackPeer sw(LoopbackIp(11), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    OpenSocket();
    Press(IDC_SEARCH);
    ConnectTo(LoopbackIp(11));
    ExpectState(State::Connected);
    EXPECT_EQ(g_dwHostIp, LoopbackIp(11));
    EXPECT_EQ(g_bSearching, 0);
    EXPECT_EQ(net.GetTimerInterval(CNetConfigPage::TIMER_POLL), 1000);
    EXPECT_EQ(sw.Receive(), QByteArray("@ R 0e #"));
    EXPECT_EQ(sw.Receive(nullptr, nullptr, 5000), QByteArray("@ R 52 #"));  // the timer's own tick

    g_bComConnected = 1;
    net.OnTimer(CNetConfigPage::TIMER_POLL);
    g_bComConnected = 0;
    net.OnTimer(CNetConfigPage::TIMER_POLL);
    EXPECT_EQ(sw.Receive(), QByteArray("@ R 52 #"));
    PumpFor(50);
    while (sw.HasPending()) EXPECT_EQ(sw.Receive(), QByteArray("@ R 52 #"));  // timer ticks only

    // Disconnecting from the switcher stops the poll and keeps its address.
    Press(IDC_HOST_CONNECT);
    ExpectState(State::SocketOpen);
    EXPECT_EQ(g_dwHostIp, LoopbackIp(11));
    net.OnTimer(CNetConfigPage::TIMER_POLL);
    net.ReadAllConfig();  // a reload goes to a connected switcher only
    PumpFor(50);
    EXPECT_FALSE(sw.HasPending());
}

TEST_F(NetConfigPage, ClosingWhileConnectedEndsTheConnectionAndReopeningKeepsTheLastSearch) {
    OpenSocket();
    Press(IDC_SEARCH);
    Reply("@20 41#", LoopbackIp(30));
    Reply("@20 42#", LoopbackIp(31));
    ConnectTo(LoopbackIp(31));
    Press(IDC_SOCKET);
    ExpectState(State::SocketClosed);
    EXPECT_EQ(net.GetDlgItemText(IDC_HOST_CONNECT), "Connect");

    OpenSocket();
    ExpectState(State::SocketOpen);
    EXPECT_TRUE(net.IsDlgItemVisible(IDC_WEB_PAGE));
    EXPECT_EQ(net.GetDlgItemText(IDC_DEVICE_LIST), PcLine());
    EXPECT_EQ(ComboItems(), QStringList({"1", "2"}));
    ChooseItem(0);
    EXPECT_EQ(Address(IDC_HOST_IP), LoopbackIp(30));
}

TEST_F(NetConfigPage, WebPageOpensTheChosenSwitchersAddressWithItsTooltip) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "Open");
    OpenSocket();
    ConnectTo(LoopbackIp(14));
    Press(IDC_WEB_PAGE);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(recorder.urls, QList<QUrl>({QUrl(QString::fromStdString("http://" + corvane::link::DottedIp(LoopbackIp(14))))}));
    EXPECT_TRUE(MessageBoxScript::History().empty());
    EXPECT_EQ(net.ToolTip().GetToolText(net.GetDlgItem(IDC_WEB_PAGE)), "Go to Internet Explorer");
    EXPECT_EQ(net.ToolTip().GetDelayTime(), 200u);
}

// The offscreen platform opens no URLs: its openUrl fails at once and starts
// no program, so the page's refusal can be seen without any browser. Under
// another platform a real browser could start, so the case is skipped there.
TEST_F(NetConfigPage, WebPageThatCannotOpenTheAddressSaysSoAndStaysConnected) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "needs the offscreen platform, which opens no browser";
    OpenSocket();
    ConnectTo(LoopbackIp(15));
    const QString strUrl = QString::fromStdString("http://" + corvane::link::DottedIp(LoopbackIp(15)));
    MessageBoxScript::Expect(QStringLiteral("Cannot open %1 in a web browser.").arg(strUrl));
    Press(IDC_WEB_PAGE);
    ASSERT_EQ(MessageBoxScript::History().size(), 1u);
    EXPECT_EQ(MessageBoxScript::History()[0].nType, UINT(MB_OK | MB_ICONEXCLAMATION));
    ExpectState(State::Connected);
}

// Over the network the other pages' commands leave as datagrams and their
// waits end through timer 2 after the switcher's acknowledgement.
TEST_F(NetConfigPage, OtherPagesSendOverTheNetworkAndAcknowledgementsEndTheirWaits) {
    LoopbackPeer sw(LoopbackIp(12), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    OpenSocket();
    RebindOnLoopback();
    ConnectTo(LoopbackIp(12));
    EXPECT_EQ(sw.Receive(), QByteArray("@ R 0e #"));

    Click(portSet, Dlg130::IDC_OUT2_IN3);
    Click(edid, Dlg129::IDC_APPLY_1);
    QHostAddress from;
    EXPECT_EQ(sw.Receive(&from), QByteArray("@W 01 02#"));
    EXPECT_EQ(sw.Receive().left(6), QByteArray("@ W 05"));
    EXPECT_TRUE(frames.empty());  // nothing on the serial side

    sw.SendTo("@09 01#", LoopbackIp(1), nLocalPort);
    ASSERT_TRUE(WaitUntil([&] { return PortSetLog().last() == "Set success!"; }, 5000));
    EXPECT_EQ(portSet.GetTimerInterval(2), 1000);
    EXPECT_EQ(edid.GetTimerInterval(2), 3000);
    EXPECT_TRUE(WaitUntil([&] { return portSet.IsDlgItemEnabled(Dlg130::IDC_OUT2_IN3); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return edid.IsDlgItemEnabled(Dlg129::IDC_APPLY_1); }, 8000));

    // A datagram from anyone else never reaches the pages.
    LoopbackPeer stranger(LoopbackIp(13), 0);
    stranger.SendTo("@04 03 03 03 03#", LoopbackIp(1), nLocalPort);
    sw.SendTo("@00 01#", LoopbackIp(1), nLocalPort);
    ASSERT_TRUE(WaitUntil([] { return g_nOutputSource[0] == 1; }, 5000));
    EXPECT_NE(g_nOutputSource[3], 3);
}

#include "NetConfigPageTest.moc"
