#include <gtest/gtest.h>

#include "tools/sim/SimOptions.h"

namespace {

bool Parse(std::vector<std::string> args, SimOptions& o, std::string& error) {
    o = SimOptions{};
    error.clear();
    return SimParseOptions(args, o, error);
}

}  // namespace

TEST(SimOptions, EveryOption) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse(
        {"--reply", "echo", "--delay", "250", "--upper", "--no-spaces", "--crlf", "--link", "/tmp/x", "--verbose"}, o,
        error))
        << error;
    EXPECT_EQ(o.behaviour.writeReply, SimWriteReply::Echo);
    EXPECT_EQ(o.nDelayMs, 250);
    EXPECT_TRUE(o.behaviour.style.bUpper);
    EXPECT_FALSE(o.behaviour.style.bSpaces);
    EXPECT_TRUE(o.behaviour.style.bCrLf);
    EXPECT_EQ(o.strLink, "/tmp/x");
    EXPECT_TRUE(o.bVerbose);
    ASSERT_TRUE(Parse({"--reply", "none", "--help"}, o, error));
    EXPECT_EQ(o.behaviour.writeReply, SimWriteReply::None);
    EXPECT_TRUE(o.bHelp);
    EXPECT_FALSE(o.bVersion);
    ASSERT_TRUE(Parse({"--version"}, o, error));
    EXPECT_TRUE(o.bVersion);
}

TEST(SimOptions, UdpAddressNameAndPty) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({}, o, error));
    EXPECT_FALSE(o.bUdp);
    EXPECT_TRUE(o.bPty);
    EXPECT_EQ(o.strName, "CORVANE MATRIX");

    ASSERT_TRUE(Parse({"--udp", "127.0.0.2", "--name", "HALL 2", "--no-pty"}, o, error)) << error;
    EXPECT_TRUE(o.bUdp);
    EXPECT_EQ(o.dwUdpIp, 0x7F000002u);
    EXPECT_EQ(o.strName, "HALL 2");
    EXPECT_FALSE(o.bPty);

    // Without an address (last, or followed by another option): every address.
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{{"--udp"}, {"--udp", "--upper"}}) {
        ASSERT_TRUE(Parse(args, o, error)) << error;
        EXPECT_TRUE(o.bUdp);
        EXPECT_EQ(o.dwUdpIp, 0u);
    }
    EXPECT_TRUE(o.behaviour.style.bUpper);
}

TEST(SimOptions, BadArgumentsAreReported) {
    SimOptions o;
    std::string error;
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"--reply"},
                                               {"--reply", "maybe"},
                                               {"--delay", "-1"},
                                               {"--delay", "60001"},
                                               {"--delay", "12ms"},
                                               {"--delay", ""},
                                               {"--delay", "99999999999999999999"},
                                               {"--link"},
                                               {"--link", ""},
                                               {"--fast"},
                                               {"serial"},
                                               {"--udp", "127.0.0"},
                                               {"--udp", "localhost"},
                                               {"--udp", "127.0.0.256"},
                                               {"--name"},
                                               {"--name", ""},
                                               {"--name", "SEVENTEEN-CHARS-X"},
                                               {"--no-pty"},
                                               {"--no-pty", "--udp", "--link", "/tmp/x"}}) {
        SCOPED_TRACE(bad[0] + (bad.size() > 1 ? " " + bad[1] : ""));
        EXPECT_FALSE(Parse(bad, o, error));
        EXPECT_FALSE(error.empty());
    }
}
