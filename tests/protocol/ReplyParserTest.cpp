// Register decoding: what lands in the device state and which page calls
// follow, in which order.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "link/DeviceState.h"
#include "tests/protocol/RecordingTarget.h"
#include "link/ReplyAssembler.h"

namespace {

using Calls = std::vector<std::string>;

class Parser : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        RxReset();
    }
    Calls Feed(const std::string& s) {
        target.calls.clear();
        for (unsigned char c : s) RxFeedChar(c, target);
        return target.calls;
    }
    RecordingTarget target;
};

TEST_F(Parser, SingleOutputSourceShowsAndEndsPortSetWaitWithoutLogLine) {
    EXPECT_EQ(Feed("@02 07#"), (Calls{"ShowOutputSource 2", "PortSet.EndWait"}));
    EXPECT_EQ(g_nOutputSource[2], 7);   // stored as received
}

TEST_F(Parser, AllOutputs) {
    EXPECT_EQ(Feed("@04 03 02 01 00#"),
              (Calls{"ShowOutputSource 0", "ShowOutputSource 1", "ShowOutputSource 2", "ShowOutputSource 3",
                     "Log 0 Load all ports success!", "PortSet.EndWait"}));
    EXPECT_EQ(g_nOutputSource[0], 3);
    EXPECT_EQ(g_nOutputSource[3], 0);
    // A short frame reads the missing bytes as zero and still reports success.
    Feed("@04#");
    for (int v : g_nOutputSource) EXPECT_EQ(v, 0);
}

TEST_F(Parser, EdidReadOfOneInput) {
    EXPECT_EQ(Feed("@05 02 a5#"), (Calls{"RefreshInput 0", "Edid.EndWait", "Log 1 Load success!"}));
    EXPECT_EQ(g_EdidSetting[0].nMode, 2);
    EXPECT_EQ(g_EdidSetting[0].nFlags, 0xA5u);
    EXPECT_EQ(Feed("@08 c8 0e#"), (Calls{"RefreshInput 3", "Edid.EndWait", "Log 1 Load success!"}));
    EXPECT_EQ(g_EdidSetting[3].nMode, 200);
}

TEST_F(Parser, AcknowledgementOverSerialEndsBothWaitsAtOnce) {
    g_bComConnected = 1;
    g_bNetConnected = 1;   // serial wins when both are open
    EXPECT_EQ(Feed("@09 01#"), (Calls{"PortSet.EndWait", "Edid.EndWait", "Log 2 Set success!"}));
}

TEST_F(Parser, AcknowledgementOverNetworkStartsTimersInstead) {
    g_bNetConnected = 1;
    EXPECT_EQ(Feed("@09 01#"), (Calls{"StartAckTimers", "Log 2 Set success!"}));

    // One that no command waits for (late, repeated, unasked) changes nothing.
    target.bAckAwaited = false;
    EXPECT_TRUE(Feed("@09 01#").empty());
    g_bComConnected = 1;  // the serial link ends the waits whatever they are
    EXPECT_EQ(Feed("@09 01#"), (Calls{"PortSet.EndWait", "Edid.EndWait", "Log 2 Set success!"}));
}

TEST_F(Parser, AcknowledgementWithOtherDataDoesNothing) {
    g_bComConnected = 1;
    EXPECT_TRUE(Feed("@09 00#").empty());
    EXPECT_TRUE(Feed("@09 02#").empty());
}

TEST_F(Parser, WholeConfigurationFillsEverythingInOrder) {
    std::string s = "@0E";
    const int data[12] = {3, 1, 0xA5, 2, 0, 0x02, 1, 7, 0x0E, 0, 3, 0xFF};
    const std::string strName = "ROOM A          ";
    std::vector<int> bytes(data, data + 12);
    bytes.insert(bytes.end(), strName.begin(), strName.end());
    for (int v : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", v & 0xFF);
        s += hex;
    }
    s += "#";
    EXPECT_EQ(Feed(s), (Calls{"ShowOutputSource 0", "ShowOutputSource 1", "ShowOutputSource 2",
                              "ShowOutputSource 3", "PortSet.EndWait", "RefreshInput 0", "RefreshInput 1",
                              "RefreshInput 2", "RefreshInput 3", "Edid.EndWait", "ShowDeviceName",
                              "Log 2 Load All config data success!", "GetIpConfig"}));
    EXPECT_EQ(g_nOutputSource[0], 3);
    EXPECT_EQ(g_nOutputSource[1], 2);
    EXPECT_EQ(g_nOutputSource[2], 1);
    EXPECT_EQ(g_nOutputSource[3], 0);
    EXPECT_EQ(g_EdidSetting[0].nMode, 1);
    EXPECT_EQ(g_EdidSetting[0].nFlags, 0xA5u);
    EXPECT_EQ(g_EdidSetting[2].nMode, 7);
    EXPECT_EQ(g_EdidSetting[3].nFlags, 0xFFu);
    EXPECT_EQ(std::memcmp(g_DeviceName, "ROOM A          ", 16), 0);
}

TEST_F(Parser, DeviceNameKeepsAllSixteenBytes) {
    EXPECT_EQ(Feed("@20 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51#"), (Calls{"ShowDeviceName"}));
    EXPECT_EQ(std::memcmp(g_DeviceName, "ABCDEFGHIJKLMNOP", 16), 0);
}

TEST_F(Parser, NetworkParametersInRecordOrder) {
    EXPECT_EQ(Feed("@40 00 1a 2b 3c 4d 5e c0 a8 01 0a ff ff ff 00 c0 a8 01 01 01#"), (Calls{"ShowNetParams"}));
    const BYTE mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    EXPECT_EQ(std::memcmp(g_NetParams.abMac, mac, 6), 0);
    EXPECT_EQ(g_NetParams.abIp[3], 10);
    EXPECT_EQ(g_NetParams.abMask[2], 255);
    EXPECT_EQ(g_NetParams.abGateway[0], 192);
    EXPECT_EQ(g_NetParams.bDhcp, 1);
}

TEST_F(Parser, ChangeCounterReloadsOncePerChange) {
    EXPECT_TRUE(Feed("@52 00 00#").empty());
    EXPECT_EQ(Feed("@52 00 07#"), (Calls{"ReadAllConfig"}));
    EXPECT_EQ(g_wChangeCounter, 7);
    EXPECT_TRUE(Feed("@52 00 07#").empty());
    EXPECT_EQ(Feed("@52 ff fe#"), (Calls{"ReadAllConfig"}));
    EXPECT_EQ(g_wChangeCounter, 0xFFFE);
}

TEST_F(Parser, DebugModeGoesToTheSystemPageOnly) {
    EXPECT_EQ(Feed("@10 01#"), (Calls{"SetDebugMode 1"}));
}

TEST_F(Parser, UnknownRegistersAreDroppedSilently) {
    for (const char* psz : {"@0a#", "@0f 01#", "@50#", "@ff ff#", "@11 01#"}) EXPECT_TRUE(Feed(psz).empty()) << psz;
}

}  // namespace
