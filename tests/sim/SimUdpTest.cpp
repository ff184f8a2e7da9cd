// The UDP transport on its own, driven by hand: each datagram is answered to
// the address and port it came from, oversized and empty datagrams are
// dropped without disturbing the next, and an address in use is refused.
#include <poll.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/Loopback.h"
#include "tests/support/SimClients.h"
#include "tools/sim/SimUdp.h"

using namespace simtest;

namespace {

std::uint32_t HostOrder(const std::string& strIp) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(strIp.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    return a << 24 | b << 16 | c << 8 | d;
}

// Waits until the simulator's socket is readable and lets it handle what came.
bool Serve(CSimUdp& udp) {
    pollfd p{udp.PollFd(), udp.PollEvents(), 0};
    if (poll(&p, 1, static_cast<int>(WAIT.count())) != 1) return false;
    udp.OnEvents(p.revents, SimClock::now());
    return true;
}

class SimUdpTest : public testing::Test {
protected:
    void SetUp() override {
        m_strIp = FreeLoopbackAddress();
        std::string error;
        ASSERT_TRUE(m_Udp.Open(HostOrder(m_strIp), 5000, error)) << error;
        ASSERT_TRUE(m_Client.IsOpen());
    }

    std::optional<std::string> Ask(const std::string& request) {
        if (!m_Client.SendTo(m_strIp, 5000, request) || !Serve(m_Udp)) return std::nullopt;
        return m_Client.Receive(WAIT, &m_strFrom);
    }

    CSimSwitcher m_Switcher;
    CSimUdp m_Udp{m_Switcher, 0, false};
    CUdpClient m_Client;
    std::string m_strIp;
    std::string m_strFrom;
};

}  // namespace

TEST_F(SimUdpTest, AnswersFromItsAddressToTheSendersPort) {
    EXPECT_EQ(m_Udp.LocalAddress(), m_strIp + ":5000");
    EXPECT_EQ(Ask("@R20#"), "@20 43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#");
    EXPECT_EQ(m_strFrom, m_strIp + ":5000");
    // A second client on another loopback address gets its own answer.
    CUdpClient other("127.0.0.3");
    ASSERT_TRUE(other.SendTo(m_strIp, 5000, "@ R 52 #"));
    ASSERT_TRUE(Serve(m_Udp));
    EXPECT_EQ(other.Receive(), "@52 00 00#");
    EXPECT_FALSE(m_Client.Receive(50ms)) << "the reply went to the wrong client";
}

TEST_F(SimUdpTest, OversizedEmptyAndGarbageDatagramsAreDroppedWhole) {
    // A valid request at the end of a datagram too long for the tool must not
    // be answered: the datagram is dropped whole, not read cut short.
    ASSERT_TRUE(m_Client.SendTo(m_strIp, 5000, std::string(SIM_MAX_DATAGRAM, ' ') + "@R20#"));
    ASSERT_TRUE(m_Client.SendTo(m_strIp, 5000, ""));
    ASSERT_TRUE(m_Client.SendTo(m_strIp, 5000, std::string("\0\xff@\x80#", 5)));
    ASSERT_TRUE(m_Client.SendTo(m_strIp, 5000, "@R 0"));  // cut off: nothing carries over
    ASSERT_TRUE(Serve(m_Udp));  // one wake-up reads every datagram waiting
    EXPECT_FALSE(m_Client.Receive(0ms)) << "a dropped datagram was answered";
    EXPECT_EQ(Ask("4 #@R10#"), "@10 01#");
    // The longest datagram still read is answered.
    const std::string full = std::string(SIM_MAX_DATAGRAM - 5, ' ') + "@R10#";
    EXPECT_EQ(Ask(full), "@10 01#");
}

TEST_F(SimUdpTest, DelayedRepliesKeepTheirDestination) {
    CSimUdp slow(m_Switcher, 30, false);
    const std::string ip = FreeLoopbackAddress(1);
    std::string error;
    ASSERT_TRUE(slow.Open(HostOrder(ip), 5000, error)) << error;
    ASSERT_TRUE(m_Client.SendTo(ip, 5000, "@R 04 #"));
    ASSERT_TRUE(Serve(slow));
    ASSERT_TRUE(slow.NextDeadline());
    EXPECT_FALSE(m_Client.Receive(0ms)) << "answered before the delay";
    slow.OnTime(*slow.NextDeadline());
    EXPECT_EQ(m_Client.Receive(), "@04 00 01 02 03#");
    EXPECT_FALSE(slow.NextDeadline());
}

TEST_F(SimUdpTest, AnAddressInUseIsRefused) {
    CSimUdp second(m_Switcher, 0, false);
    std::string error;
    EXPECT_FALSE(second.Open(HostOrder(m_strIp), 5000, error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    EXPECT_NE(error.find(m_strIp + ":5000"), std::string::npos) << error;
}
