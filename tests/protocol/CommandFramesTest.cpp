// Every frame the tool sends, byte for byte, including its length.
#include <gtest/gtest.h>

#include <cstring>

#include "link/CommandFrames.h"

namespace {

struct FrameCase {
    const char* pszName;
    std::string strActual;
    const char* pszExpected;
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.pszName; }

NetParams SampleNetParams() {
    NetParams p{};
    const BYTE mac[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::memcpy(p.abMac, mac, 6);
    const BYTE ip[4] = {192, 168, 0, 100}, mask[4] = {255, 255, 255, 0}, gw[4] = {192, 168, 0, 1};
    std::memcpy(p.abIp, ip, 4);
    std::memcpy(p.abMask, mask, 4);
    std::memcpy(p.abGateway, gw, 4);
    return p;
}

const BYTE kRoomA[16] = {'R', 'O', 'O', 'M', ' ', 'A', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
const BYTE kHighBytes[16] = {0xC4, 0xFF, 0x80, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 0x7F};

class FrameTemplate : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameTemplate, MatchesExactTextAndLength) {
    const FrameCase& c = GetParam();
    EXPECT_EQ(c.strActual, c.pszExpected);
    EXPECT_EQ(c.strActual.size(), std::strlen(c.pszExpected));
    EXPECT_EQ(c.strActual.find('\0'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    AllTemplates, FrameTemplate,
    ::testing::Values(
        FrameCase{"Status", Frames::Status(), "@R 04 #"},
        FrameCase{"RouteOut1In4", Frames::Route(0, 3), "@W 00 03#"},
        FrameCase{"RouteOut2In3", Frames::Route(1, 2), "@W 01 02#"},
        FrameCase{"RouteOut4In2", Frames::Route(3, 1), "@W 03 01#"},
        FrameCase{"AllOutputsIn1", Frames::AllOutputs(0), "@ W 04  00 00 00 00#"},
        FrameCase{"AllOutputsIn2", Frames::AllOutputs(1), "@ W 04  01 01 01 01#"},
        FrameCase{"AllOutputsIn3", Frames::AllOutputs(2), "@ W 04  02 02 02 02#"},
        FrameCase{"ReadAllConfig", Frames::Read(0x0E), "@ R 0e #"},
        FrameCase{"ReadName", Frames::Read(0x20), "@ R 20 #"},
        FrameCase{"ReadEdid1", Frames::Read(0x05), "@ R 05 #"},
        FrameCase{"ReadEdid4", Frames::Read(0x08), "@ R 08 #"},
        FrameCase{"ReadNetParams", Frames::Read(0x40), "@ R 40 #"},
        FrameCase{"PollCounter", Frames::Read(0x52), "@ R 52 #"},
        FrameCase{"EdidApply", Frames::EdidApply(0x07, 2, 0xA5), "@ W 07 02 a5 #"},
        FrameCase{"EdidApplyHiddenBits", Frames::EdidApply(0x05, 5, 0xF9), "@ W 05 05 f9 #"},
        FrameCase{"NameRoomA", Frames::DeviceNameWrite(kRoomA), "@W 20 524f4f4d20 4120202020 202020 20 20 20 #"},
        FrameCase{"NameHighBytes", Frames::DeviceNameWrite(kHighBytes),
                  "@W 20 c4ff800061 6263646566 676869 6a 6b 7f #"},
        FrameCase{"NetParams", Frames::NetParamsWrite(SampleNetParams()),
                  "@W40 00 11 22 33 44 55 c0 a8 00 64 ff ff ff 00 c0 a8 00 01 00#"},
        FrameCase{"DebugOn", Frames::DebugApply(true), "@W1000#"},
        FrameCase{"DebugOff", Frames::DebugApply(false), "@W1001#"}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.pszName); });

TEST(FrameLengths, FixedLengthFramesStayFixedForEveryValue) {
    BYTE abName[16];
    for (int b = 0; b < 256; ++b) {
        std::memset(abName, b, sizeof abName);
        ASSERT_EQ(Frames::DeviceNameWrite(abName).size(), 45u) << b;
    }
    NetParams p;
    std::memset(&p, 0xFF, sizeof p);
    EXPECT_EQ(Frames::NetParamsWrite(p).size(), 62u);
    for (int o = 0; o < 4; ++o)
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Frames::Route(o, i).size(), 9u);
}

}  // namespace
