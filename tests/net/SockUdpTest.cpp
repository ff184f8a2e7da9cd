// CSockUDP on loopback: binding and its errors, the receive loop (every
// pending datagram, oversized ones dropped whole), routing by sender,
// search and NetSend datagrams byte for byte.
#include <QNetworkInterface>
#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/DeviceState.h"
#include "link/Ipv4Text.h"
#include "tests/support/LoopbackPeers.h"
#include "tests/support/Wait.h"
#include "link/NetSend.h"
#include "tests/support/NoopReplyTarget.h"
#include "link/ReplyAssembler.h"
#include "link/SearchDecoder.h"
#include "link/SendPath.h"
#include "link/Sock_UDP.h"
#include "link/UdpLink.h"

namespace {

class SearchRecorder : public ISearchOwner {
public:
    std::vector<std::string> lines;
    int nNotices = 0;
    void AppendDeviceList(const char* psz) override { lines.emplace_back(psz); }
    void AddDeviceItem(int) override {}
    void SelectDevice(int) override {}
    void DeviceTableFull(const char*) override { ++nNotices; }
};

class RxRecorder : public INetRxOwner {
public:
    std::vector<std::string> texts;
    void OnNetRxData(const char*, int) override { texts.emplace_back(g_NetRxBuffer); }
};

class SockUdp : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        ResetNetLinkState();
        ResetSearchDecoder();
        // Searches of these tests go to a loopback peer, never to the network.
        g_SockUDP.SetSearchDestination(LoopbackIp(9));
        g_SockUDP.SetSearchOwner(&search);
        g_SockUDP.SetRxOwner(&rx);
        dwLocal = LoopbackIp(1);
        ASSERT_TRUE(g_SockUDP.Open(0, corvane::link::DottedIp(dwLocal).c_str())) << g_SockUDP.GetLastErrorText().toStdString();
        nLocalPort = g_SockUDP.GetLocalPort();
    }
    void TearDown() override {
        g_SockUDP.Close();
        g_SockUDP.SetSearchOwner(nullptr);
        g_SockUDP.SetRxOwner(nullptr);
        g_SockUDP.SetSearchDestination(BROADCAST_IP);
        ResetNetLinkState();
    }

    DWORD dwLocal = 0;
    quint16 nLocalPort = 0;
    SearchRecorder search;
    RxRecorder rx;
};

}  // namespace

TEST_F(SockUdp, OpenBindsTheGivenAddressAndPicksAPortForZero) {
    EXPECT_EQ(g_bSocketOpen, 1);
    EXPECT_NE(nLocalPort, 0);
    g_SockUDP.Close();
    EXPECT_EQ(g_bSocketOpen, 0);
    EXPECT_EQ(g_SockUDP.GetLocalPort(), 0);
}

TEST_F(SockUdp, FailedOpenGivesTheSystemsErrorNumberAndAReason) {
    g_SockUDP.Close();
    LoopbackPeer holder(LoopbackIp(2), 0);
    ASSERT_TRUE(holder.IsBound());
    QUdpSocket probe;
    ASSERT_TRUE(probe.bind(QHostAddress(LoopbackIp(3)), 0));
    const long nTaken = probe.localPort();

    EXPECT_FALSE(g_SockUDP.Open(nTaken, corvane::link::DottedIp(LoopbackIp(3)).c_str()));
    EXPECT_EQ(g_SockUDP.GetLastError(), EADDRINUSE);
    EXPECT_TRUE(g_SockUDP.GetLastErrorText().contains("in use")) << g_SockUDP.GetLastErrorText().toStdString();
    EXPECT_EQ(g_bSocketOpen, 0);

    // An address of the documentation ranges that no interface of this PC has.
    const QList<QHostAddress> aOwn = QNetworkInterface::allAddresses();
    const char* pszForeign = nullptr;
    for (const char* psz : {"192.0.2.1", "198.51.100.1", "203.0.113.1", "192.0.2.77"}) {
        if (!aOwn.contains(QHostAddress(QString::fromLatin1(psz)))) {
            pszForeign = psz;
            break;
        }
    }
    ASSERT_NE(pszForeign, nullptr);
    EXPECT_FALSE(g_SockUDP.Open(5001, pszForeign));
    EXPECT_EQ(g_SockUDP.GetLastError(), EADDRNOTAVAIL);

    for (long nPort : {65536L, 70000L, -1L, 5001L + 65536L}) {
        EXPECT_FALSE(g_SockUDP.Open(nPort, corvane::link::DottedIp(dwLocal).c_str())) << nPort;
        EXPECT_EQ(g_SockUDP.GetLastError(), EINVAL);
        EXPECT_TRUE(g_SockUDP.GetLastErrorText().contains(QString::number(nPort)));
    }
    EXPECT_FALSE(g_SockUDP.Open(0, "not.an.address"));
    EXPECT_EQ(g_SockUDP.GetLastError(), EINVAL);
    EXPECT_EQ(g_bSocketOpen, 0);

    // A failure leaves nothing behind: the next good open works.
    EXPECT_TRUE(g_SockUDP.Open(0, corvane::link::DottedIp(dwLocal).c_str()));
    EXPECT_EQ(g_SockUDP.GetLastError(), 0);
}

TEST_F(SockUdp, EveryPendingDatagramIsReadAndOnlyTheHostsAreHandedOn) {
    LoopbackPeer host(LoopbackIp(2), 0), other(LoopbackIp(3), 0);
    g_dwHostIp = LoopbackIp(2);
    g_bNetConnected = 1;
    // All of them are queued before the socket gets a chance to read.
    for (int i = 0; i < 5; ++i) {
        host.SendTo(QByteArray("@52 00 0") + QByteArray::number(i) + "#", dwLocal, nLocalPort);
        other.SendTo("@04 01 01 01 01#", dwLocal, nLocalPort);
    }
    ASSERT_TRUE(WaitUntil([&] { return rx.texts.size() >= 5; }, 5000));
    PumpFor(50);  // nothing more comes
    EXPECT_EQ(rx.texts,
              (std::vector<std::string>{"@52 00 00#", "@52 00 01#", "@52 00 02#", "@52 00 03#", "@52 00 04#"}));
}

TEST_F(SockUdp, ManyDatagramsInOneBurstAreAllRead) {
    LoopbackPeer host(LoopbackIp(2), 0);
    g_dwHostIp = LoopbackIp(2);
    g_bNetConnected = 1;
    const int nCount = 3 * CSockUDP::MAX_DATAGRAMS_PER_PASS + 5;
    // Twice: after a burst has been read to the end, the socket must still
    // announce the next one (a notification that finds nothing to read must
    // not leave it deaf).
    for (int nBurst = 1; nBurst <= 2; ++nBurst) {
        for (int i = 0; i < nCount; ++i) host.SendTo("@09 01#", dwLocal, nLocalPort);
        EXPECT_TRUE(WaitUntil([&] { return static_cast<int>(rx.texts.size()) == nBurst * nCount; }, 10000))
            << "burst " << nBurst << ": " << rx.texts.size();
        PumpFor(20);
    }
    host.SendTo("@52 00 01#", dwLocal, nLocalPort);
    EXPECT_TRUE(WaitUntil([&] { return !rx.texts.empty() && rx.texts.back() == "@52 00 01#"; }, 5000));
}

TEST_F(SockUdp, AFullTableOfRepliesSentAtOnceIsAllListed) {
    // Every switcher answers a search at once: none may be lost to the
    // socket's receive buffer.
    BeginDeviceSearch();
    std::vector<std::unique_ptr<LoopbackPeer>> peers;
    for (int i = 0; i < MAX_DEVICE_NUM; ++i)
        peers.push_back(std::make_unique<LoopbackPeer>(LoopbackIp(1 + i % 250) + (i / 250 << 8), 0));
    for (auto& pPeer : peers) pPeer->SendTo("@20 41 42#", dwLocal, nLocalPort);
    EXPECT_TRUE(WaitUntil([&] { return g_nDeviceCount == static_cast<UINT>(MAX_DEVICE_NUM); }, 10000))
        << g_nDeviceCount;
    EXPECT_EQ(search.nNotices, 0);
}

TEST_F(SockUdp, OversizedDatagramIsDroppedWholeAndTheNextOneStillRead) {
    LoopbackPeer host(LoopbackIp(2), 0);
    g_dwHostIp = LoopbackIp(2);
    g_bNetConnected = 1;
    QByteArray abBig(3000, ' ');
    abBig.replace(0, 7, "@09 01#");
    host.SendTo(abBig, dwLocal, nLocalPort);
    host.SendTo(QByteArray(NET_MAX_DATAGRAM + 1, '@'), dwLocal, nLocalPort);
    host.SendTo(QByteArray(), dwLocal, nLocalPort);  // empty: ignored
    host.SendTo("@52 00 01#", dwLocal, nLocalPort);
    ASSERT_TRUE(WaitUntil([&] { return !rx.texts.empty(); }, 5000));
    PumpFor(50);
    EXPECT_EQ(rx.texts, std::vector<std::string>{"@52 00 01#"});

    host.SendTo(QByteArray(NET_MAX_DATAGRAM, '#'), dwLocal, nLocalPort);  // the limit itself is read
    ASSERT_TRUE(WaitUntil([&] { return rx.texts.size() == 2; }, 5000));
    EXPECT_EQ(rx.texts[1].size(), static_cast<size_t>(NET_RX_BUFFER_SIZE - 1));
}

// A reply at the very end of the longest datagrams the link takes reaches
// the reply handling; one byte longer and the datagram is dropped whole.
TEST_F(SockUdp, EveryByteOfADatagramUpToTheLimitReachesTheReplyHandling) {
    class SourceRecorder : public CNoopReplyTarget {
    public:
        std::vector<int> sources;
        void ShowOutputSource(int n) override { sources.push_back(g_nOutputSource[n]); }
    } target;
    corvane::link::UdpLink& link = corvane::link::TheUdpLink();
    link.SetBytesHandler([&target](const char* pData, std::size_t nLen) { RxFeedBytes(pData, nLen, target); });
    link.Attach();
    RxReset();
    LoopbackPeer host(LoopbackIp(2), 0);
    g_dwHostIp = LoopbackIp(2);
    g_bNetConnected = 1;
    for (int nSize = NET_MAX_DATAGRAM - 3; nSize <= NET_MAX_DATAGRAM + 1; ++nSize) {
        QByteArray ab(nSize, ' ');
        ab.replace(nSize - 7, 7, "@00 0" + QByteArray::number(nSize - NET_MAX_DATAGRAM + 3) + "#");
        host.SendTo(ab, dwLocal, nLocalPort);
    }
    host.SendTo("@00 09#", dwLocal, nLocalPort);
    EXPECT_TRUE(WaitUntil([&] { return !target.sources.empty() && target.sources.back() == 9; }, 5000));
    EXPECT_EQ(target.sources, (std::vector<int>{0, 1, 2, 3, 9}));
    link.SetBytesHandler(nullptr);
    g_SockUDP.SetRxOwner(&rx);
}

TEST_F(SockUdp, SearchSendsTheFiveBytesAndRepliesFromSeveralSwitchersAreListed) {
    LoopbackPeer target(LoopbackIp(9), DEVICE_UDP_PORT);
    ASSERT_TRUE(target.IsBound());
    LoopbackPeer second(LoopbackIp(10), 0);
    ASSERT_TRUE(g_SockUDP.SendSearch());
    BeginDeviceSearch();
    QHostAddress from;
    quint16 nFromPort = 0;
    EXPECT_EQ(target.Receive(&from, &nFromPort), QByteArray("@R20#"));
    EXPECT_EQ(from.toIPv4Address(), dwLocal);
    EXPECT_EQ(nFromPort, nLocalPort);

    target.SendTo("@20 53 69 6d 2d 41 00 00 00 00 00 00 00 00 00 00 00#", dwLocal, nLocalPort);
    second.SendTo("@R2053696d2d42#", dwLocal, nLocalPort);
    ASSERT_TRUE(WaitUntil([&] { return g_nDeviceCount == 2; }, 5000));
    EXPECT_EQ(search.lines, (std::vector<std::string>{"1->IP=" + corvane::link::DottedIp(LoopbackIp(9)) + "   Name=Sim-A\r\n",
                                                      "2->IP=" + corvane::link::DottedIp(LoopbackIp(10)) + "   Name=Sim-B\r\n"}));
    EXPECT_TRUE(rx.texts.empty());
}

TEST_F(SockUdp, BurstOfRepliesFillsTheTableOnceWithOneNotice) {
    BeginDeviceSearch();
    // More switchers than the table holds, each answering twice.
    std::vector<std::unique_ptr<LoopbackPeer>> peers;
    for (int i = 0; i < MAX_DEVICE_NUM + 20; ++i)
        peers.push_back(std::make_unique<LoopbackPeer>(LoopbackIp(1 + i % 250) + (i / 250 << 8), 0));
    for (int nRound = 0; nRound < 2; ++nRound) {
        for (size_t i = 0; i < peers.size(); ++i) {
            peers[i]->SendTo("@20 41#", dwLocal, nLocalPort);
            if (i % 20 == 19) PumpFor(1);  // the kernel queue is bounded: let the socket drain
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return search.nNotices == 1; }, 10000)) << g_nDeviceCount;
    PumpFor(100);
    EXPECT_EQ(g_nDeviceCount, static_cast<UINT>(MAX_DEVICE_NUM));
    EXPECT_EQ(search.nNotices, 1);
    EXPECT_EQ(search.lines.size(), static_cast<size_t>(MAX_DEVICE_NUM));
}

TEST_F(SockUdp, NetSendCarriesExactlyTheFramesCharactersToTheChosenSwitcher) {
    LoopbackPeer sw(LoopbackIp(11), DEVICE_UDP_PORT);
    ASSERT_TRUE(sw.IsBound());
    g_dwHostIp = LoopbackIp(11);
    NetSend("@ R 0e #");
    EXPECT_EQ(sw.Receive(), QByteArray("@ R 0e #"));

    // The send path uses the network when only it is open.
    EXPECT_FALSE(SendCommand("@R 04 #"));
    g_bNetConnected = 1;
    EXPECT_TRUE(SendCommand("@W 01 02#"));
    EXPECT_EQ(sw.Receive(), QByteArray("@W 01 02#"));
}

TEST_F(SockUdp, ClosedSocketReadsNothingAndReopensOnTheSamePort) {
    LoopbackPeer host(LoopbackIp(2), 0);
    g_dwHostIp = LoopbackIp(2);
    g_bNetConnected = 1;
    g_SockUDP.Close();
    host.SendTo("@52 00 01#", dwLocal, nLocalPort);
    PumpFor(50);
    EXPECT_TRUE(rx.texts.empty());
    ASSERT_TRUE(g_SockUDP.Open(nLocalPort, corvane::link::DottedIp(dwLocal).c_str()));
    host.SendTo("@52 00 02#", dwLocal, nLocalPort);
    ASSERT_TRUE(WaitUntil([&] { return !rx.texts.empty(); }, 5000));
    EXPECT_EQ(rx.texts, std::vector<std::string>{"@52 00 02#"});
}

// An owner that runs events while it handles a datagram (a modal box does)
// must find the datagram's text unchanged afterwards; datagrams that came in
// meanwhile follow in order, and the socket still hears the next datagram
// after the owner returned. The nesting happens once in the first batch and
// once in a later one, after the socket had been announced again.
class NestingOwner : public INetRxOwner {
public:
    LoopbackPeer* pHost = nullptr;
    DWORD dwTo = 0;
    quint16 nPort = 0;
    size_t nNestAt = 0;
    std::vector<std::string> before, after;
    void OnNetRxData(const char*, int) override {
        before.emplace_back(g_NetRxBuffer);
        if (before.size() == nNestAt) {
            pHost->SendTo("@52 ff fe#", dwTo, nPort);
            pHost->SendTo("@52 ff ff#", dwTo, nPort);
            PumpFor(150);
        }
        after.emplace_back(g_NetRxBuffer);
    }
};

TEST_F(SockUdp, DatagramsArrivingWhileOneIsHandledWaitTheirTurn) {
    const int nFirst = CSockUDP::MAX_DATAGRAMS_PER_PASS + 6;
    for (const size_t nNestAt : {size_t{1}, size_t(nFirst - 2)}) {
        SCOPED_TRACE(nNestAt);
        NestingOwner owner;
        LoopbackPeer host(LoopbackIp(2), 0);
        owner.pHost = &host;
        owner.dwTo = dwLocal;
        owner.nPort = nLocalPort;
        owner.nNestAt = nNestAt;
        g_SockUDP.SetRxOwner(&owner);
        g_dwHostIp = LoopbackIp(2);
        g_bNetConnected = 1;
        std::vector<std::string> expected;
        for (int i = 0; i < nFirst; ++i) {
            expected.push_back("@52 00 " + std::to_string(10 + i) + "#");
            host.SendTo(QByteArray::fromStdString(expected.back()), dwLocal, nLocalPort);
        }
        expected.push_back("@52 ff fe#");
        expected.push_back("@52 ff ff#");
        ASSERT_TRUE(WaitUntil([&] { return owner.after.size() >= expected.size(); }, 5000)) << owner.after.size();
        EXPECT_EQ(owner.before, expected);
        EXPECT_EQ(owner.after, expected);
        host.SendTo("@52 00 01#", dwLocal, nLocalPort);
        EXPECT_TRUE(WaitUntil([&] { return owner.after.size() == expected.size() + 1; }, 5000))
            << "the socket no longer hears datagrams";
        g_SockUDP.SetRxOwner(&rx);
    }
}

// An owner that closes the socket, opens it again and runs events while it
// handles a datagram (the operator reopening the socket from a box): the
// rest of the old batch is not read from the new socket, and the new one
// hears what comes afterwards.
TEST_F(SockUdp, SocketReopenedWhileADatagramIsHandledStillHears) {
    class ReopeningOwner : public INetRxOwner {
    public:
        LoopbackPeer* pHost = nullptr;
        DWORD dwLocal = 0;
        quint16 nPort = 0;
        std::vector<std::string> texts;
        void OnNetRxData(const char*, int) override {
            texts.emplace_back(g_NetRxBuffer);
            if (texts.size() != 1) return;
            g_SockUDP.Close();
            ASSERT_TRUE(g_SockUDP.Open(nPort, corvane::link::DottedIp(dwLocal).c_str()));
            pHost->SendTo("@52 00 0a#", dwLocal, nPort);
            PumpFor(100);
        }
    } owner;
    LoopbackPeer host(LoopbackIp(2), 0);
    owner.pHost = &host;
    owner.dwLocal = dwLocal;
    owner.nPort = nLocalPort;
    g_SockUDP.SetRxOwner(&owner);
    g_dwHostIp = LoopbackIp(2);
    g_bNetConnected = 1;
    host.SendTo("@52 00 01#", dwLocal, nLocalPort);
    host.SendTo("@52 00 02#", dwLocal, nLocalPort);
    ASSERT_TRUE(WaitUntil([&] { return owner.texts.size() >= 2; }, 5000)) << owner.texts.size();
    host.SendTo("@52 00 0b#", dwLocal, nLocalPort);
    ASSERT_TRUE(WaitUntil([&] { return owner.texts.size() >= 3; }, 5000)) << "the reopened socket is deaf";
    // The second datagram of the first batch went with the old socket.
    EXPECT_EQ(owner.texts, (std::vector<std::string>{"@52 00 01#", "@52 00 0a#", "@52 00 0b#"}));
    g_SockUDP.SetRxOwner(&rx);
}
