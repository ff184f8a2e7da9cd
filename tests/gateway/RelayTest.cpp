// The relay of the switcher's own UDP protocol against a hub on a link the
// test plays, with real UDP clients on loopback addresses: requests checked
// before they reach the queue, replies back to the client that asked, the
// change counter answered from the hub, and the queue telling apart the
// several events of one reply frame.
#include <QStringList>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <memory>

#include "tests/gateway/FakeLink.h"
#include "tests/support/Loopback.h"
#include "tests/support/LoopbackPeers.h"
#include "tests/support/Wait.h"
#include "gateway/hub/Hub.h"
#include "gateway/relay/RelayFrame.h"
#include "gateway/relay/UdpRelay.h"

namespace corvane::gateway {
namespace {

using Kind = LinkEvent::Kind;

TEST(RelayFrameTest, AcceptsRequestsAsTheToolsWriteThem) {
    struct Case {
        QByteArray datagram;
        bool write;
        int reg;
    };
    const Case cases[] = {
        {"@R20#", false, 0x20},     {"@ R 52 #", false, 0x52},
        {"@W 01 03#", true, 0x01},  {"@ W 04  02 02 02 02#", true, 0x04},
        {"@r0e#\r\n", false, 0x0e}, {"  @w 2 0 41 #", true, 0x20},
    };
    for (const Case& c : cases) {
        QString reason;
        const auto r = relay::ParseRequest(c.datagram, reason);
        ASSERT_TRUE(r) << c.datagram.toStdString() << ": " << reason.toStdString();
        EXPECT_EQ(r->write, c.write) << c.datagram.toStdString();
        EXPECT_EQ(r->reg, c.reg) << c.datagram.toStdString();
        EXPECT_EQ(QByteArray::fromStdString(r->frame), c.datagram.trimmed());
    }
}

TEST(RelayFrameTest, RefusesAnythingButOneWellFormedRequest) {
    const QByteArray bad[] = {
        "",
        "   \r\n",
        "R20#",
        "@R20",
        "@X20#",
        "@#",
        "@R#",
        "@R2#",
        "@R 2g #",
        "@R20#@R04#",
        "@R20#junk",
        "@W 01\x00 03#",
        "@R" + QByteArray(relay::MAX_REQUEST_CHARS, '0') + "#",
        QByteArray("\xff\xfe@R20#"),
    };
    for (const QByteArray& d : bad) {
        QString reason;
        EXPECT_FALSE(relay::ParseRequest(d, reason)) << d.toStdString();
        EXPECT_FALSE(reason.isEmpty()) << d.toStdString();
    }
}

TEST(RelayFrameTest, RepliesAreWrittenAsTheSwitcherWritesThem) {
    EXPECT_EQ(relay::FormatReply(0x52, {0x01, 0xab}), "@52 01 ab#");
    EXPECT_EQ(relay::FormatReply(0x09, {}), "@09#");
}

class RelayTest : public ::testing::Test {
protected:
    void SetUp() override {
        link = std::make_unique<FakeLink>();
        HubOptions o;
        o.commandTimeoutMs = 300;
        o.serialPollMs = 60000;  // no polls in the way of the frames checked here
        hub = std::make_unique<Hub>(*link, nullptr, o);
        udpRelay = std::make_unique<relay::UdpRelay>(*hub);
        udpRelay->onLog = [this](const QString& line) { log << line; };
        QString error;
        ASSERT_TRUE(udpRelay->Listen(QHostAddress(RelayIp()), 0, error)) << error.toStdString();
        relayPort = udpRelay->Port();
    }
    static DWORD RelayIp() { return LoopbackIp(60); }
    void BringPresent() {
        link->picture.name = QStringLiteral("HALL");
        hub->Start(HostState::Defaults());
        link->Answer(Kind::AllConfig);
        link->Answer(Kind::NetParams);
        ASSERT_TRUE(hub->Switcher().present);
        link->sent.clear();
    }
    // A reply frame as the link reports it: its decoded events, then the frame.
    void Reply(const std::string& text, std::initializer_list<Kind> decoded = {}) {
        ++seq;
        for (Kind k : decoded) {
            LinkEvent ev = link->picture;
            ev.kind = k;
            ev.frameSeq = seq;
            link->onEvent(ev);
        }
        LinkEvent ev = link->picture;
        ev.kind = Kind::Frame;
        ev.frame = text;
        ev.frameSeq = seq;
        link->onEvent(ev);
    }
    bool WaitSent(size_t n) {
        return WaitUntil([&] { return link->sent.size() >= n; });
    }
    bool Logged(const QString& text) const {
        for (const QString& line : log)
            if (line.contains(text)) return true;
        return false;
    }

    std::unique_ptr<FakeLink> link;
    std::unique_ptr<Hub> hub;
    std::unique_ptr<relay::UdpRelay> udpRelay;
    quint16 relayPort = 0;
    QStringList log;
    uint32_t seq = 100;
};

TEST_F(RelayTest, EachClientHearsTheSwitchersAnswerToItsOwnRequest) {
    BringPresent();
    LoopbackPeer alice(LoopbackIp(61), 0), bob(LoopbackIp(62), 0);
    ASSERT_TRUE(alice.IsBound() && bob.IsBound());
    alice.SendTo("@R 04 #", RelayIp(), relayPort);
    ASSERT_TRUE(WaitSent(1));
    bob.SendTo("@W 01 03#\r\n", RelayIp(), relayPort);
    EXPECT_FALSE(WaitUntil([&] { return link->sent.size() > 1; }, 100)) << "one frame in flight";
    EXPECT_EQ(link->sent[0], "@R 04 #");
    Reply("@04 00 01 02 03#", {Kind::AllOutputs});
    EXPECT_EQ(alice.Receive(), "@04 00 01 02 03#");
    ASSERT_TRUE(WaitSent(2));
    EXPECT_EQ(link->sent[1], "@W 01 03#");
    Reply("@09 01#", {Kind::Ack});
    EXPECT_EQ(bob.Receive(), "@09 01#");
    EXPECT_FALSE(alice.HasPending());
    // The write is followed by a read of the configuration, so every client
    // learns what it changed.
    ASSERT_TRUE(WaitSent(3));
    EXPECT_EQ(link->sent[2], "@ R 0e #");
}

TEST_F(RelayTest, TheChangeCounterIsAnsweredByTheGatewayAndMovesWithEveryChange) {
    BringPresent();
    LoopbackPeer window(LoopbackIp(63), 0);
    window.SendTo("@ R 52 #", RelayIp(), relayPort);
    const QByteArray first = window.Receive();
    EXPECT_TRUE(first.startsWith("@52 ")) << first.toStdString();
    EXPECT_TRUE(link->sent.empty()) << "the poll costs the switcher nothing";
    link->picture.routing = {3, 3, 3, 3};
    link->Answer(Kind::AllConfig);  // not asked for: changes nothing
    hub->Route("alice", 0, 2, [](const Outcome&) {});
    ASSERT_TRUE(WaitSent(1));
    Reply("@09 01#", {Kind::Ack});
    window.SendTo("@ R 52 #", RelayIp(), relayPort);
    const QByteArray second = window.Receive();
    EXPECT_TRUE(second.startsWith("@52 "));
    EXPECT_NE(first, second) << "a route made elsewhere moves the counter";
}

TEST_F(RelayTest, MalformedOversizedOrUnanswerableDatagramsAreDroppedAndLogged) {
    BringPresent();
    QUdpSocket client;
    ASSERT_TRUE(client.bind(QHostAddress(LoopbackIp(64)), 0));
    const QByteArray bad[] = {"hello", "@R2#", "@Q20#", QByteArray(4000, '@'), "@R 20 # @R 04 #"};
    for (const QByteArray& d : bad) client.writeDatagram(d, QHostAddress(RelayIp()), relayPort);
    ASSERT_TRUE(WaitUntil([&] { return log.size() >= 5; })) << log.join('\n').toStdString();
    EXPECT_TRUE(Logged("4000 bytes"));
    EXPECT_TRUE(Logged("nothing sent to the switcher"));
    EXPECT_TRUE(link->sent.empty());
    EXPECT_FALSE(client.hasPendingDatagrams());

    // A well-formed request the switcher does not answer: the client hears
    // nothing, the log says why, and the next request goes through.
    client.writeDatagram("@R 77 #", QHostAddress(RelayIp()), relayPort);
    ASSERT_TRUE(WaitSent(1));
    ASSERT_TRUE(WaitUntil([&] { return Logged("not answered"); }));
    client.writeDatagram("@R 20 #", QHostAddress(RelayIp()), relayPort);
    ASSERT_TRUE(WaitSent(2));
    EXPECT_EQ(link->sent[1], "@R 20 #");
}

TEST_F(RelayTest, NothingIsSentWhileTheSwitcherIsAbsent) {
    LoopbackPeer client(LoopbackIp(65), 0);
    client.SendTo("@R20#", RelayIp(), relayPort);
    client.SendTo("@ R 52 #", RelayIp(), relayPort);
    client.SendTo("@W 00 01#", RelayIp(), relayPort);
    ASSERT_TRUE(WaitUntil([&] { return Logged("absent"); }));
    EXPECT_TRUE(link->sent.empty());
    EXPECT_FALSE(client.HasPending());
}

// A reply frame gives its decoded events, then the frame itself. When a
// decoded event answers one step, the same frame's Frame event must not
// answer the raw request sent next.
TEST_F(RelayTest, TheEventsOfOneReplyFrameAnswerOneStepOnly) {
    BringPresent();
    bool bNamed = false, bAnswered = false;
    std::string answer;
    hub->SetName("alice", "HALL 2", [&](const Outcome& o) { bNamed = o.Ok(); });
    hub->Raw("relay", "@R20#", false, [&](const Outcome&, const std::string& reply) {
        bAnswered = true;
        answer = reply;
    });
    link->picture.name = QStringLiteral("HALL 2");
    Reply("@20 48 41 4c 4c 20 32#", {Kind::Name});  // the write's echo
    EXPECT_TRUE(bNamed);
    ASSERT_EQ(link->Last(), "@R20#");
    EXPECT_FALSE(bAnswered) << "the echo's own frame answered the next request";
    Reply("@20 48 41 4c 4c 20 32 20#", {Kind::Name});
    EXPECT_TRUE(bAnswered);
    EXPECT_EQ(answer, "@20 48 41 4c 4c 20 32 20#");
}

}  // namespace
}  // namespace corvane::gateway
