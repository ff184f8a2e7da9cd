// The two links behind one interface: the serial link on a pseudo-terminal,
// the network link as the socket hands it datagrams; both give the reply
// assembler the same bytes, and the send path takes the serial link first.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/DeviceState.h"
#include "link/NetLinkState.h"
#include "link/ReplyAssembler.h"
#include "link/SendPath.h"
#include "link/SerialLink.h"
#include "tests/serial/SerialTestSupport.h"
#include "link/UdpLink.h"

namespace {

using namespace corvane::link;

// The registers of the replies decoded from what a link received.
class Registers : public IReplySink {
public:
    std::vector<int> seen;
    void OnReply(const ReplyEvent& event) override { seen.push_back(event.reg); }
};

class Links : public ::testing::Test {
protected:
    static constexpr UINT PORT = 9;
    void SetUp() override {
        ResetDeviceState();
        ResetNetLinkState();
        RxReset();
        for (Link* pLink : {static_cast<Link*>(&serial), static_cast<Link*>(&net)}) {
            pLink->SetBytesHandler([this](const char* pData, std::size_t nLen) {
                received.append(pData, nLen);
                RxFeedBytes(pData, nLen, registers);
            });
        }
        serial.SetPort(PORT);
    }
    void TearDown() override {
        serial.Close();
        serial.SetBytesHandler(nullptr);
        net.SetBytesHandler(nullptr);
        ResetDeviceState();
    }
    // A datagram of the chosen switcher as the socket hands it over.
    void Datagram(const std::string& s) {
        std::memset(g_NetRxBuffer, 0, sizeof g_NetRxBuffer);
        std::memcpy(g_NetRxBuffer, s.data(), s.size());
        net.OnNetRxData(g_NetRxBuffer, static_cast<int>(s.size()));
    }
    CErrorRecorder errors;
    CPtyPair pty{PORT};
    SerialLink& serial = TheSerialLink();
    UdpLink& net = TheUdpLink();
    std::string received;
    Registers registers;
};

const std::string kReplies = "@04 00 01 02 03#\r\n@52 00 07#@09 01#";

TEST_F(Links, BothLinksHandTheAssemblerTheSameBytes) {
    ASSERT_TRUE(serial.Open());
    EXPECT_TRUE(serial.IsOpen());
    EXPECT_EQ(g_bComConnected, 1);
    // The monitor thread purges the port when it starts: talk after a round trip.
    ASSERT_TRUE(serial.SendFrame("@R 04 #"));
    ASSERT_EQ(pty.Read(7), "@R 04 #");
    ASSERT_TRUE(pty.Write(kReplies));
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= kReplies.size(); }));
    serial.Close();
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(g_bComConnected, 0);
    const std::string fromSerial = received;
    const std::vector<int> serialRegisters = registers.seen;

    received.clear();
    registers.seen.clear();
    Datagram(kReplies);
    EXPECT_EQ(received, kReplies);
    EXPECT_EQ(fromSerial, kReplies);
    EXPECT_EQ(registers.seen, serialRegisters);
    EXPECT_EQ(registers.seen, (std::vector<int>{0x04, 0x52, 0x09}));
}

// Characters of the two links never mix in one frame: while the serial link
// is open the network's are dropped.
TEST_F(Links, DatagramsAreDroppedWhileTheSerialLinkIsOpen) {
    g_bComConnected = 1;
    g_bNetConnected = 1;
    RxFeedBytes("@01 ", 4, registers);
    Datagram("@00 03#");
    RxFeedBytes("02#", 3, registers);
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(g_nOutputSource[0], 0);
    EXPECT_EQ(g_nOutputSource[1], 2);
    g_bComConnected = 0;
}

TEST_F(Links, DatagramEndsAtItsFirstZeroByteAndIsOtherwiseReadWhole) {
    Datagram(std::string("@00 01#\0@01 02#", 15));
    EXPECT_EQ(received, "@00 01#");
    EXPECT_EQ(g_nOutputSource[1], 0);

    // A reply at the very end of the longest datagrams the link takes is
    // read: every character the link accepted reaches the assembler.
    for (int nSize = NET_MAX_DATAGRAM - 3; nSize <= NET_MAX_DATAGRAM; ++nSize) {
        SCOPED_TRACE(nSize);
        RxReset();
        g_nOutputSource[3] = 0;
        std::string s(nSize, ' ');
        s.replace(s.size() - 7, 7, "@03 02#");
        Datagram(s);
        EXPECT_EQ(g_nOutputSource[3], 2);
        EXPECT_EQ(g_nRxState, RX_IDLE);
    }
}

TEST_F(Links, SerialLinkTellsWhenTheDeviceIsGone) {
    std::vector<std::string> losses;
    serial.SetLostHandler([&](const std::string& strReason) { losses.push_back(strReason); });
    ASSERT_TRUE(serial.Open());
    ASSERT_TRUE(serial.SendFrame("@R 04 #"));
    ASSERT_EQ(pty.Read(7), "@R 04 #");
    pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return !losses.empty(); }));
    EXPECT_EQ(losses.size(), 1u);
    EXPECT_NE(losses[0].find("Failed"), std::string::npos) << losses[0];
    ASSERT_EQ(errors.boxes.size(), 1u);
    EXPECT_TRUE(errors.boxes[0].info.bDeviceLost);
    serial.SetLostHandler(nullptr);
}

TEST_F(Links, SendPathTakesTheSerialLinkFirstAndNothingWithoutALink) {
    EXPECT_FALSE(serial.SendFrame("@R 04 #"));
    EXPECT_FALSE(net.SendFrame("@R 04 #"));
    EXPECT_FALSE(SendCommand("@R 04 #"));
    ASSERT_TRUE(serial.Open());
    g_bNetConnected = 1;  // a switcher chosen on the network as well
    ASSERT_TRUE(SendCommand("@R 52 #"));
    EXPECT_EQ(pty.Read(7), "@R 52 #");
    g_bNetConnected = 0;
}

}  // namespace
