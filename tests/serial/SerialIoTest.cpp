// Receiving and transmitting on a pty with the monitor thread running.
#include <gtest/gtest.h>
#include <poll.h>

#include "link/DeviceState.h"
#include "link/SendPath.h"
#include "tests/serial/SerialTestSupport.h"

namespace {

class SerialIo : public ::testing::Test {
protected:
    static constexpr UINT PORT = 8;
    void SetUp() override {
        port.SetWriteEcho([this](const char* s) { echoed.emplace_back(s); });
        ASSERT_TRUE(port.Setup(&owner, PORT));
        ASSERT_TRUE(port.StartMonitor());
        // The thread purges the port when it starts: talk only after that.
        RoundTrip("@R 04 #");
    }
    // Sends one frame and checks the switcher side got exactly it; this also
    // proves the monitor thread is up and past its start-up purge.
    void RoundTrip(const std::string& strFrame) {
        port.WriteText(strFrame.c_str());
        ASSERT_EQ(pty.Read(strFrame.size()), strFrame);
    }
    CErrorRecorder errors;
    CRecordingOwner owner;
    CPtyPair pty{PORT};
    CSerialPort port;
    std::vector<std::string> echoed;
};

TEST_F(SerialIo, EveryByteValueArrivesInOrderUnsignedOnTheGuiThread) {
    std::string strAll;
    for (int b = 0; b < 256; ++b) strAll.push_back(static_cast<char>(b));
    pty.Write(strAll);
    ASSERT_TRUE(WaitUntil([&] { return owner.Bytes().size() >= 256; }));
    EXPECT_EQ(owner.Bytes(), strAll);
    WPARAM wLast = 0;
    for (const PortMessage& m : owner.messages) {
        if (m.nMessage == WM_PORT_RXCHAR) {
            EXPECT_EQ(m.lParam, static_cast<LPARAM>(PORT));
            wLast = m.wParam;
        }
    }
    EXPECT_EQ(wLast, 255u);  // never sign-extended
    EXPECT_FALSE(owner.bWrongThread);
    EXPECT_TRUE(errors.boxes.empty());
}

TEST_F(SerialIo, EachWriteDiscardsInputNotYetReadFirst) {
    // Stale bytes land in the input queue just before the transmission's purge.
    OnNextFlush(pty.SlaveDevice(), /*bAfter=*/false, [&](int fd) {
        pty.Write("JUNK");
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 2000);
    });
    port.WriteText("@R 10 #");
    ASSERT_EQ(pty.Read(7), "@R 10 #");
    pty.Write("@10 01#");
    ASSERT_TRUE(WaitUntil([&] { return owner.Bytes().size() >= 7; }));
    PumpFor(20);
    EXPECT_EQ(owner.Bytes(), "@10 01#");
}

TEST_F(SerialIo, HardWriteErrorDropsFramesUntilNextStartMonitor) {
    FailWritesTo(pty.SlaveDevice(), true);
    port.WriteText("@R 10 #");
    ASSERT_TRUE(WaitUntil([&] { return !errors.boxes.empty(); }));
    FailWritesTo(pty.SlaveDevice(), false);
    EXPECT_EQ(errors.boxes[0].strCaption, "Application Error");
    EXPECT_EQ(errors.boxes[0].strText, ExpectedErrorText("WriteFile()", EIO, PORT));
    EXPECT_FALSE(errors.boxes[0].info.bDeviceLost);
    EXPECT_EQ(g_bSendFailed, 1);

    const size_t nEchoed = echoed.size();
    port.WriteText("@R 20 #");
    PumpFor(50);
    EXPECT_EQ(echoed.size(), nEchoed);      // not echoed to the IP Config log
    EXPECT_FALSE(pty.Readable(50));   // not transmitted

    ASSERT_TRUE(port.StartMonitor());
    EXPECT_EQ(g_bSendFailed, 0);
    RoundTrip("@R 40 #");
    EXPECT_EQ(echoed.back(), "@R 40 #");
    EXPECT_EQ(errors.boxes.size(), 1u);
}

TEST_F(SerialIo, FramesHandedOverBeforeTransmissionAllGoOutInOrder) {
    const std::vector<std::string> frames{"@R 04 #", "@W 01 02#", "@ R 0e #", "@W0F01#"};
    for (const std::string& f : frames) port.WriteText(f.c_str());
    std::string strAll;
    for (const std::string& f : frames) strAll += f;
    EXPECT_EQ(pty.Read(strAll.size()), strAll);
    EXPECT_EQ(std::vector<std::string>(echoed.begin() + 1, echoed.end()), frames);
}

TEST_F(SerialIo, FrameLongerThanTheSendBufferIsRefusedWhole) {
    const std::string strFits(511, 'A');
    const std::string strTooLong(512, 'B');
    port.WriteText(strTooLong.c_str());
    port.WriteText(strFits.c_str());
    EXPECT_EQ(pty.Read(511), strFits);
    EXPECT_FALSE(pty.Readable(50));
    ASSERT_EQ(echoed.size(), 2u);
    EXPECT_EQ(echoed[1], strFits);
}

TEST(SendCommand, SerialFirstThenNetworkElseFalse) {
    CRecordingOwner owner;
    CPtyPair pty(9);
    ASSERT_TRUE(g_SerialPort.Setup(&owner, 9));
    ASSERT_TRUE(g_SerialPort.StartMonitor());

    g_bComConnected = 1;
    g_bNetConnected = 1;
    EXPECT_TRUE(SendCommand("@R 04 #"));
    EXPECT_EQ(pty.Read(7), "@R 04 #");

    g_bComConnected = 0;
    EXPECT_TRUE(SendCommand("@R 52 #"));  // to the network, not the port
    EXPECT_FALSE(pty.Readable(50));

    g_bNetConnected = 0;
    EXPECT_FALSE(SendCommand("@R 04 #"));
    EXPECT_FALSE(pty.Readable(50));
    g_SerialPort.Close();  // stops and joins the thread
}

} // namespace
