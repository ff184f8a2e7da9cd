// What corvane-cli's session makes of each reply event: the events its
// commands wait for, and the reads that follow a reply as in the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "link/DeviceState.h"
#include "link/Ipv4Text.h"
#include "tests/support/LoopbackPeers.h"
#include "link/NetLinkState.h"
#include "link/Sock_UDP.h"

namespace {

namespace lk = corvane::link;
using namespace corvane::cli;
using lk::AckReply;
using lk::AllConfigReply;
using lk::AllOutputsReply;
using lk::ChangeCounterReply;
using lk::DebugModeReply;
using lk::DeviceNameReply;
using lk::EdidReply;
using lk::NetParamsReply;
using lk::OtherReply;
using lk::OutputSourceReply;
using lk::ReplyBody;

class CliSessionEvents : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        ResetNetLinkState();
        session.SetListener([this](const ReplyEvent& ev) { heard.emplace_back(ev.kind, ev.n); });
    }
    void TearDown() override {
        session.Close();
        ResetNetLinkState();
    }
    // Opens the session's UDP link to a switcher played on loopback.
    void OpenToPeer() {
        ASSERT_TRUE(switcher.IsBound());
        QString strError;
        ASSERT_EQ(session.OpenUdp(QString::fromStdString(corvane::link::DottedIp(LoopbackIp(3))), 0, strError), EXIT_DONE)
            << strError.toStdString();
    }
    std::vector<std::pair<ReplyKind, int>> heard;
    LoopbackPeer switcher{LoopbackIp(3), DEVICE_UDP_PORT};
    Session session;
};

// The session binds every local address: loopback reaches it.
constexpr DWORD LOOPBACK_HOST = 0x7F000001;

using Heard = std::vector<std::pair<ReplyKind, int>>;

TEST_F(CliSessionEvents, EachReplyIsTheEventItsCommandWaitsFor) {
    const struct {
        ReplyBody body;
        Heard expected;
    } rows[] = {
        {OutputSourceReply{2, 1}, {{ReplyKind::OutputSource, 2}}},
        {AllOutputsReply{}, {{ReplyKind::AllOutputs, 0}}},
        {EdidReply{3, {}}, {{ReplyKind::Edid, 3}}},
        {AckReply{1}, {{ReplyKind::Ack, 0}}},
        {AckReply{0}, {}},
        {AllConfigReply{}, {{ReplyKind::Name, 0}, {ReplyKind::AllConfig, 0}}},
        {DebugModeReply{1}, {{ReplyKind::Debug, 1}}},
        {DeviceNameReply{}, {{ReplyKind::Name, 0}}},
        {NetParamsReply{}, {{ReplyKind::NetParams, 0}}},
        {ChangeCounterReply{4, 4}, {}},
        {ChangeCounterReply{4, 5}, {{ReplyKind::CounterChanged, 0}}},
        {OtherReply{}, {}},
    };
    for (const auto& row : rows) {
        heard.clear();
        session.OnReply(lk::ReplyEvent{0, row.body});
        EXPECT_EQ(heard, row.expected) << "body index " << row.body.index();
    }
}

TEST_F(CliSessionEvents, WholeConfigurationAndAChangedCounterAreFollowedByTheirReads) {
    OpenToPeer();
    session.OnReply(lk::ReplyEvent{0x0E, AllConfigReply{}});
    EXPECT_EQ(switcher.Receive(), QByteArray("@ R 40 #"));
    session.OnReply(lk::ReplyEvent{0x52, ChangeCounterReply{1, 1}});
    session.OnReply(lk::ReplyEvent{0x52, ChangeCounterReply{1, 2}});
    EXPECT_EQ(switcher.Receive(), QByteArray("@ R 0e #"));
    EXPECT_TRUE(switcher.Receive(nullptr, nullptr, 200).isEmpty()) << "the unchanged counter sent a read";
}

// Replies from the switcher over the link reach the commands as events.
TEST_F(CliSessionEvents, DatagramsOfTheSwitcherBecomeEvents) {
    OpenToPeer();
    const quint16 nLocal = g_SockUDP.GetLocalPort();
    switcher.SendTo("@02 01#@10 01#", LOOPBACK_HOST, nLocal);
    EXPECT_TRUE(session.WaitFor([](const ReplyEvent& ev) { return ev.kind == ReplyKind::Debug; }, 5000, 0));
    EXPECT_EQ(heard, (Heard{{ReplyKind::OutputSource, 2}, {ReplyKind::Debug, 1}}));
}

}  // namespace
