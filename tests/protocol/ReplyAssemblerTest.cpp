// Frame assembly from characters of either link.
#include <gtest/gtest.h>

#include <string>

#include "link/DeviceState.h"
#include "link/NetLinkState.h"
#include "tests/protocol/RecordingTarget.h"
#include "link/ReplyAssembler.h"

namespace {

class Assembler : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        RxReset();
    }
    void Feed(const std::string& s) {
        for (unsigned char c : s) RxFeedChar(c, target);
    }
    // Bytes as a link hands them over, several at once.
    void FeedBytes(const std::string& s) { RxFeedBytes(s.data(), s.size(), target); }
    void ExpectSources(int a, int b, int c, int d) {
        EXPECT_EQ(g_nOutputSource[0], a);
        EXPECT_EQ(g_nOutputSource[1], b);
        EXPECT_EQ(g_nOutputSource[2], c);
        EXPECT_EQ(g_nOutputSource[3], d);
    }
    RecordingTarget target;
};

TEST_F(Assembler, SpacingCaseAndLeadingNoiseDoNotMatter) {
    for (const char* psz : {"@04 00 01 02 03#", "@0 4 00 01 02 03 #", "@04000102 03#", "zz@04 00 01 02 03#",
                            "@04 00 01 02 03#\r\n", "\x80\xff@W04 00\r01\n02\xfe 03#"}) {
        SetUp();
        Feed(psz);
        ExpectSources(0, 1, 2, 3);
        EXPECT_EQ(target.calls.size(), 6u) << psz;
        target.calls.clear();
    }
}

TEST_F(Assembler, UpperAndLowerHexAreTheSameRegister) {
    Feed("@0a#@0A#");
    EXPECT_TRUE(target.calls.empty());
    Feed("@05 02 A5#@06 02 a5#");
    EXPECT_EQ(g_EdidSetting[0].nFlags, 0xA5u);
    EXPECT_EQ(g_EdidSetting[1].nFlags, 0xA5u);
}

TEST_F(Assembler, NewStartMarkDiscardsFrameInProgress) {
    Feed("@04 00@02 03#");
    EXPECT_EQ(g_nOutputSource[2], 3);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"ShowOutputSource 2", "PortSet.EndWait"}));
}

TEST_F(Assembler, CharactersOutsideAFrameAreIgnored) {
    Feed("#");
    Feed("04 00 01 02 03#");
    Feed("0123456789abcdef");
    EXPECT_TRUE(target.calls.empty());
    EXPECT_EQ(g_nRxState, RX_IDLE);
}

TEST_F(Assembler, OddTrailingDigitIsKeptAsHighNibble) {
    Feed("@00 1#");   // data byte 0x10
    EXPECT_EQ(g_nOutputSource[0], 0x10);
    Feed("@5#");      // register 0x50: not one the tool reads
    EXPECT_EQ(target.calls.size(), 2u);
}

TEST_F(Assembler, FrameIsClearedAfterEveryDispatchSoMissingBytesReadAsZero) {
    Feed("@04 03 03 03 03#");
    Feed("@04#");
    ExpectSources(0, 0, 0, 0);
    for (int v : g_RxFrame) ASSERT_EQ(v, 0);
}

TEST_F(Assembler, AbandonedFrameLeavesItsBytesForTheNextShortFrame) {
    Feed("@04 01 02 03 03");   // no '#': never dispatched
    Feed("@04#");
    ExpectSources(1, 2, 3, 3);
}

TEST_F(Assembler, FrameCutByDisconnectIsCompletedByLaterCharacters) {
    Feed("@02 ");
    Feed("01#");
    EXPECT_EQ(g_nOutputSource[2], 1);
}

TEST_F(Assembler, OverlongFrameNeverWritesPastTheBuffer) {
    // The element after g_RxFrame must survive a frame far longer than 500 bytes.
    std::string s = "@04";
    for (int i = 0; i < 3000; ++i) s += " 7f";
    Feed(s + "#");
    ExpectSources(0x7f, 0x7f, 0x7f, 0x7f);
    EXPECT_EQ(target.calls.back(), "PortSet.EndWait");
    EXPECT_LE(g_nRxCount, RX_FRAME_SIZE);
    // The assembler is usable again afterwards.
    Feed("@01 02#");
    EXPECT_EQ(g_nOutputSource[1], 2);
}

TEST_F(Assembler, EveryByteValueIsSafeOutsideAndInsideFrames) {
    std::string s;
    for (int round = 0; round < 3; ++round)
        for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
    Feed(s);
    Feed("@#");
    EXPECT_EQ(g_nRxState, RX_IDLE);
}

TEST_F(Assembler, BytesHandedOverTogetherAreFedInOrder) {
    FeedBytes("@00 01#@01 02#");
    EXPECT_EQ(target.calls,
              (std::vector<std::string>{"ShowOutputSource 0", "PortSet.EndWait", "ShowOutputSource 1",
                                        "PortSet.EndWait"}));
    ExpectSources(1, 2, 0, 0);
    // A frame may span two hand-overs, and one hand-over may end mid-frame.
    FeedBytes("@02 ");
    FeedBytes("03#@03");
    FeedBytes(" 01#");
    ExpectSources(1, 2, 3, 1);
}

}  // namespace
