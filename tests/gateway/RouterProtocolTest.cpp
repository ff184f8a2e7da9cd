// The gateway's router-protocol server against corvane-sim on its pty, with
// scripted TCP clients that follow the protocol's published examples: the
// prelude on connect, routes and salvos answered ACK and echoed to every
// client, locks (O, L, U and forced), labels, PING, the empty block as a
// query, NAK for anything malformed with nothing sent to the switcher, many
// clients at once, and the switcher absent.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

#include "tests/gateway/GatewayClient.h"
#include "tests/gateway/RouterPeer.h"
#include "tests/support/SimProcess.h"

// Blocks print as text in failures.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) { *os << ::testing::PrintToString(bytes.toStdString()); }

namespace {

const QByteArray ROUTING_FACTORY = "VIDEO OUTPUT ROUTING:\n0 0\n1 1\n2 2\n3 3";

class RouterProtocolTest : public ::testing::Test {
protected:
    void StartSim() {
        SimStart start;
        start.aArgs = QStringList{"--link", LinkPath()};
        ASSERT_TRUE(sim.Start(start));
    }
    void StartGateway() {
        ASSERT_TRUE(gw.Start({"--state", dir.filePath("state.json"), "--port", LinkPath(), "--serial-poll-ms", "300"}))
            << gw.Log().constData();
        port = RouterPeer::PortOf(gw);
        ASSERT_GT(port, 0) << gw.Log().constData();
    }
    void StartBoth() {
        StartSim();
        StartGateway();
        ApiClient c(gw);
        ASSERT_TRUE(WaitUntil([&] { return c.Get("/api/v1/state").json["present"].toBool(); }, 20000));
    }
    // A client whose prelude has come.
    std::unique_ptr<RouterPeer> Connect() {
        auto peer = std::make_unique<RouterPeer>(port);
        EXPECT_FALSE(peer->Prelude().isEmpty()) << gw.Log().constData();
        return peer;
    }
    QByteArray Writes() {
        QByteArray writes;
        for (const QByteArray& frame : sim.Received().split('#')) {
            if (frame.startsWith("@W") || frame.startsWith("@ W")) writes += frame + '#';
        }
        return writes;
    }
    QString LinkPath() const { return dir.filePath(QStringLiteral("com1")); }

    QTemporaryDir dir;
    CSimProcess sim;
    GatewayProcess gw;
    quint16 port = 0;
};

TEST_F(RouterProtocolTest, ConnectingGivesTheWholePreludeInTheProtocolsOrder) {
    StartBoth();
    RouterPeer peer(port);
    const QList<QByteArray> blocks = peer.Prelude();
    ASSERT_EQ(blocks.size(), 7) << blocks.join("\n--\n").constData();
    EXPECT_EQ(blocks[0], "PROTOCOL PREAMBLE:\nVersion: 2.3");
    const QRegularExpression device(
        "^VIDEOHUB DEVICE:\nDevice present: true\nModel name: Corvane 4x4 Gateway\nFriendly name: CORVANE MATRIX\n"
        "Unique ID: [0-9A-F]{12}\nVideo inputs: 4\nVideo processing units: 0\nVideo outputs: 4\n"
        "Video monitoring outputs: 0\nSerial ports: 0$");
    EXPECT_TRUE(device.match(QString::fromUtf8(blocks[1])).hasMatch()) << blocks[1].constData();
    EXPECT_EQ(blocks[2], "INPUT LABELS:\n0 Input 1\n1 Input 2\n2 Input 3\n3 Input 4");
    EXPECT_EQ(blocks[3], "OUTPUT LABELS:\n0 Output 1\n1 Output 2\n2 Output 3\n3 Output 4");
    EXPECT_EQ(blocks[4], "VIDEO OUTPUT LOCKS:\n0 U\n1 U\n2 U\n3 U");
    EXPECT_EQ(blocks[5], ROUTING_FACTORY);
    EXPECT_EQ(blocks[6], "END PRELUDE:");
    EXPECT_TRUE(gw.Log().contains("router client videohub:127.")) << "clients are logged";
}

TEST_F(RouterProtocolTest, RoutesAndSalvosAreAckedAndEchoedToEveryClient) {
    StartBoth();
    const auto a = Connect(), b = Connect();
    // Output 1 to input 3 on this protocol is output 2 to input 4 elsewhere.
    a->Send("VIDEO OUTPUT ROUTING:\n1 3\n\n");
    EXPECT_EQ(a->Next(), "ACK") << "the answer comes before the change";
    EXPECT_EQ(a->Next(), "VIDEO OUTPUT ROUTING:\n1 3");
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT ROUTING:\n1 3"));
    EXPECT_TRUE(Writes().endsWith("@W 01 03#"));
    ApiClient api(gw);
    EXPECT_EQ(Routing(api.Get("/api/v1/state")), QJsonArray({1, 4, 3, 4}));

    // Several lines are one salvo, sent in output order; each output that
    // changed is told as the switcher confirms it. \r\n line ends are
    // taken as well.
    a->Send("VIDEO OUTPUT ROUTING:\r\n2 1\r\n0 3\r\n\r\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), "VIDEO OUTPUT ROUTING:\n0 3");
    EXPECT_EQ(a->Next(), "VIDEO OUTPUT ROUTING:\n2 1");
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT ROUTING:\n0 3"));
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT ROUTING:\n2 1"));
    EXPECT_TRUE(Writes().endsWith("@W 00 03#@W 01 03#@W 02 01#@W 03 03#")) << Writes().constData();

    // A change made through the HTTP API reaches the router clients too.
    ASSERT_EQ(api.Put("/api/v1/outputs/4", R"({"input": 1})").status, 200);
    EXPECT_TRUE(a->Expect("VIDEO OUTPUT ROUTING:\n3 0"));
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT ROUTING:\n3 0"));
}

TEST_F(RouterProtocolTest, LocksAreOwnedOthersSeeThemLockedAndForceFreesThem) {
    StartBoth();
    const auto a = Connect(), b = Connect();
    a->Send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), "VIDEO OUTPUT LOCKS:\n1 O");
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT LOCKS:\n1 L"));

    const QByteArray before = Writes();
    b->Send("VIDEO OUTPUT ROUTING:\n1 0\n\n");
    EXPECT_EQ(b->Next(), "NAK");
    b->Send("VIDEO OUTPUT ROUTING:\n0 2\n1 0\n\n");
    EXPECT_EQ(b->Next(), "NAK") << "a salvo touching a locked output is refused whole";
    b->Send("VIDEO OUTPUT LOCKS:\n1 U\n\n");
    EXPECT_EQ(b->Next(), "NAK") << "only the holder unlocks";
    b->Send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    EXPECT_EQ(b->Next(), "NAK");
    EXPECT_EQ(Writes(), before) << "nothing reached the switcher";

    a->Send("VIDEO OUTPUT ROUTING:\n1 0\n\n");
    EXPECT_EQ(a->Next(), "ACK") << "the holder routes it";
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT ROUTING:\n1 0"));
    b->Send("VIDEO OUTPUT LOCKS:\n1 F\n\n");
    EXPECT_EQ(b->Next(), "ACK");
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT LOCKS:\n1 U"));
    EXPECT_TRUE(a->Expect("VIDEO OUTPUT LOCKS:\n1 U"));

    // A lock ends with its client's connection; the HTTP API sees it too.
    a->Send("VIDEO OUTPUT LOCKS:\n2 O\n\n");
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT LOCKS:\n2 L"));
    ApiClient api(gw);
    EXPECT_TRUE(api.Get("/api/v1/state").json["locks"].toArray()[2].toString().startsWith("videohub:127."));
    a->Socket().disconnectFromHost();
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT LOCKS:\n2 U"));
}

TEST_F(RouterProtocolTest, LabelsSetHereAreTheGatewaysLabels) {
    StartBoth();
    const auto a = Connect(), b = Connect();
    a->Send("INPUT LABELS:\n0 Camera 1\n3 Laptop\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), "INPUT LABELS:\n0 Camera 1\n3 Laptop") << "one block, one change";
    EXPECT_TRUE(b->Expect("INPUT LABELS:\n0 Camera 1\n3 Laptop"));
    a->Send("OUTPUT LABELS:\n2 Projector\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), "OUTPUT LABELS:\n2 Projector");
    EXPECT_TRUE(b->Expect("OUTPUT LABELS:\n2 Projector"));
    ApiClient api(gw);
    const QJsonObject labels = api.Get("/api/v1/state").json["labels"].toObject();
    EXPECT_EQ(labels["inputs"].toArray(), QJsonArray({"Camera 1", "Input 2", "Input 3", "Laptop"}));
    EXPECT_EQ(labels["outputs"].toArray()[2], "Projector");

    // One label too long refuses the whole block.
    a->Send("OUTPUT LABELS:\n0 Stage\n1 " + QByteArray(40, 'x') + "\n\n");
    EXPECT_EQ(a->Next(), "NAK");
    EXPECT_EQ(api.Get("/api/v1/state").json["labels"].toObject()["outputs"].toArray()[0], "Output 1");
}

TEST_F(RouterProtocolTest, PingAndTheEmptyBlockAsAQuery) {
    StartBoth();
    const auto a = Connect();
    a->Send("PING:\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    a->Send("VIDEO OUTPUT ROUTING:\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), ROUTING_FACTORY);
    a->Send("VIDEO OUTPUT LOCKS:\n\nINPUT LABELS:\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), "VIDEO OUTPUT LOCKS:\n0 U\n1 U\n2 U\n3 U");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), "INPUT LABELS:\n0 Input 1\n1 Input 2\n2 Input 3\n3 Input 4");
    a->Send("VIDEOHUB DEVICE:\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_TRUE(a->Next().startsWith("VIDEOHUB DEVICE:\nDevice present: true\n"));
}

TEST_F(RouterProtocolTest, MalformedBlocksAreRefusedAndNothingReachesTheSwitcher) {
    StartBoth();
    const auto a = Connect(), b = Connect();
    const QByteArray before = Writes();
    const QByteArray bad[] = {
        "VIDEO OUTPUT ROUTING:\n4 0\n\n",       // output 4 does not exist (ports from 0)
        "VIDEO OUTPUT ROUTING:\n0 4\n\n",       // nor input 4
        "VIDEO OUTPUT ROUTING:\n-1 0\n\n",      //
        "VIDEO OUTPUT ROUTING:\n0 x\n\n",       //
        "VIDEO OUTPUT ROUTING:\n0  1\n\n",      //
        "VIDEO OUTPUT ROUTING:\n0\n\n",         //
        "VIDEO OUTPUT LOCKS:\n0 L\n\n",         // L is what the gateway says, not a request
        "MONITORING OUTPUT ROUTING:\n0 1\n\n",  // no monitoring outputs
        "video output routing:\n0 1\n\n",       //
        "PING:\n0 1\n\n",                       //
        "VIDEO OUTPUT ROUTING\n0 1\n\n",        //
        "\x01\x02\xff\xfe\n\n",                 //
        QByteArray("VIDEO OUTPUT ROUTING:\n0 1\0\n\n", 28),
        "INPUT LABELS:\n0 tab\there\n\n",  //
    };
    for (const QByteArray& block : bad) {
        a->Send(block);
        EXPECT_EQ(a->Next(), "NAK") << block.toHex().constData();
    }
    // Over the bounds: a line of 100 kB, and a block of many lines.
    a->Send("INPUT LABELS:\n0 " + QByteArray(100000, 'A') + "\n\n");
    EXPECT_EQ(a->Next(), "NAK");
    QByteArray many = "VIDEO OUTPUT ROUTING:\n";
    for (int n = 0; n < 100; ++n) many += "0 1\n";
    a->Send(many + "\n");
    EXPECT_EQ(a->Next(), "NAK");
    EXPECT_EQ(Writes(), before) << "nothing reached the switcher";

    // The client and the others are served as before.
    a->Send("PING:\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    a->Send("VIDEO OUTPUT ROUTING:\n3 2\n\n");
    EXPECT_EQ(a->Next(), "ACK");
    EXPECT_EQ(a->Next(), "VIDEO OUTPUT ROUTING:\n3 2");
    EXPECT_TRUE(b->Expect("VIDEO OUTPUT ROUTING:\n3 2"));
    EXPECT_FALSE(b->Blocks().contains("NAK")) << "refusals go to the client that asked alone";

    // A client that piles up more blocks than can wait behind the switcher
    // is cut off.
    RouterPeer flood(port);
    ASSERT_FALSE(flood.Prelude().isEmpty());
    QByteArray routes;
    for (int n = 0; n < 200; ++n) routes += "VIDEO OUTPUT ROUTING:\n0 " + QByteArray::number(n % 2) + "\n\n";
    flood.Send(routes);
    EXPECT_TRUE(WaitUntil([&] { return flood.Closed(); }, 20000));
    EXPECT_TRUE(gw.WaitForLog("cut off: more than 16 blocks waiting")) << gw.Log().constData();
    a->Send("PING:\n\n");
    EXPECT_EQ(a->Next(), "ACK");
}

TEST_F(RouterProtocolTest, SixteenClientsAtOnceAllSeeAChangeAndTheLimitHolds) {
    StartBoth();
    std::vector<std::unique_ptr<RouterPeer>> peers;
    for (int n = 0; n < 16; ++n) peers.push_back(std::make_unique<RouterPeer>(port));
    for (auto& peer : peers) ASSERT_FALSE(peer->Prelude().isEmpty());
    peers[7]->Send("VIDEO OUTPUT ROUTING:\n2 0\n\n");
    for (auto& peer : peers) EXPECT_TRUE(peer->Expect("VIDEO OUTPUT ROUTING:\n2 0"));

    // 64 clients at most; one more is closed at once, the others stay.
    for (int n = 16; n < 64; ++n) peers.push_back(std::make_unique<RouterPeer>(port));
    for (int n = 16; n < 64; ++n) ASSERT_FALSE(peers[n]->Prelude().isEmpty());
    RouterPeer extra(port);
    EXPECT_TRUE(WaitUntil([&] { return extra.Closed(); }));
    EXPECT_TRUE(extra.Blocks().isEmpty());
    EXPECT_TRUE(gw.Log().contains("router client refused")) << gw.Log().constData();
    peers[0]->Send("PING:\n\n");
    EXPECT_EQ(peers[0]->Next(), "ACK");
}

TEST_F(RouterProtocolTest, AnAbsentSwitcherIsNotPresentAndItsReturnIsTold) {
    StartGateway();  // nothing at the link yet
    RouterPeer peer(port);
    const QList<QByteArray> blocks = peer.Prelude();
    ASSERT_FALSE(blocks.isEmpty());
    EXPECT_TRUE(blocks[1].startsWith("VIDEOHUB DEVICE:\nDevice present: false\n")) << blocks[1].constData();
    for (const QByteArray& block : blocks) EXPECT_FALSE(block.startsWith("VIDEO OUTPUT ROUTING:")) << "never read";
    peer.Send("VIDEO OUTPUT ROUTING:\n0 1\n\n");
    EXPECT_EQ(peer.Next(), "NAK");
    peer.Send("VIDEO OUTPUT ROUTING:\n\n");
    EXPECT_EQ(peer.Next(), "NAK");

    StartSim();
    EXPECT_TRUE(peer.ExpectStart("VIDEOHUB DEVICE:\nDevice present: true\n", 40000));
    EXPECT_TRUE(peer.Expect(ROUTING_FACTORY));

    sim.Stop();
    EXPECT_TRUE(peer.ExpectStart("VIDEOHUB DEVICE:\nDevice present: false\n"));
}

}  // namespace
