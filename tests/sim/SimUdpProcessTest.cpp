// The built simulator on loopback UDP: one switcher on two links, several
// simulators side by side, and a flood of bad datagrams that leaves it
// answering.
#include <signal.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/Loopback.h"
#include "tests/support/SimClients.h"
#include "tests/support/SimProcess.h"

using namespace simtest;

TEST(SimUdpProcess, OneSwitcherOnTwoLinks) {
    const std::string ip = FreeLoopbackAddress();
    CSimProcess sim({"--udp", ip});
    ASSERT_FALSE(sim.Serial().empty()) << sim.FirstLine();
    ASSERT_EQ(sim.Udp(), ip + ":5000");
    CUdpClient client;

    EXPECT_EQ(client.Ask(ip, "@ R 52 #"), "@52 00 00#");
    // A route set over the serial link is read back over UDP and moves the
    // change counter that the network poll watches ...
    EXPECT_EQ(AskSerial(sim.Serial(), "@W 02 00#"), "@09 01#");
    EXPECT_EQ(client.Ask(ip, "@R 04 #"), "@04 00 01 00 03#");
    EXPECT_EQ(client.Ask(ip, "@ R 52 #"), "@52 00 01#");
    // ... and the other way round.
    EXPECT_EQ(client.Ask(ip, "@ W 05 03 80 #"), "@09 01#");
    EXPECT_EQ(AskSerial(sim.Serial(), "@ R 05 #"), "@05 03 80#");
    EXPECT_EQ(AskSerial(sim.Serial(), "@ R 52 #"), "@52 00 02#");

    EXPECT_EQ(sim.Stop(SIGTERM), 0);
}

TEST(SimUdpProcess, SeveralSimulatorsSideBySideAnswerWithTheirNames) {
    const std::string names[] = {"HALL 1", "HALL 2", "STUDIO-SIXTEEN-C"};
    std::vector<std::unique_ptr<CSimProcess>> sims;
    std::vector<std::string> ips;
    for (int i = 0; i < 3; ++i) {
        ips.push_back(FreeLoopbackAddress(i));
        sims.push_back(std::make_unique<CSimProcess>(
            std::vector<std::string>{"--udp", ips[i], "--no-pty", "--name", names[i], "--no-spaces", "--upper"}));
        ASSERT_EQ(sims[i]->Udp(), ips[i] + ":5000") << sims[i]->FirstLine();
    }
    CUdpClient client;
    EXPECT_EQ(client.Ask(ips[0], "@R20#"), "@2048414C4C203120202020202020202020#");
    EXPECT_EQ(client.Ask(ips[1], "@R20#"), "@2048414C4C203220202020202020202020#");
    EXPECT_EQ(client.Ask(ips[2], "@R20#"), "@2053545544494F2D5349585445454E2D43#");

    // A fourth on an address already taken says so and ends.
    CSimProcess clash({"--udp", ips[0], "--no-pty"});
    EXPECT_TRUE(clash.Udp().empty());
    EXPECT_EQ(clash.Wait(), 1);
    EXPECT_EQ(client.Ask(ips[0], "@R20#"), "@2048414C4C203120202020202020202020#");
}

TEST(SimUdpProcess, AFloodOfBadDatagramsLeavesItAnswering) {
    const std::string ip = FreeLoopbackAddress();
    CSimProcess sim({"--udp", ip, "--no-pty"});
    ASSERT_EQ(sim.Udp(), ip + ":5000") << sim.FirstLine();
    CUdpClient client;
    for (int i = 0; i < 2000; ++i) {
        std::string junk;
        if (i % 4 == 0)
            junk = std::string(9000, '@');  // oversized
        else if (i % 4 == 1)
            junk = "";
        else if (i % 4 == 2)
            junk = "@W" + std::string(100, 'f') + "#";
        else
            junk = std::string(1, static_cast<char>(i)) + "\xff#@";
        client.SendTo(ip, 5000, junk);
    }
    // Whatever the socket buffer dropped, the simulator reads on and answers
    // a request sent after the flood.
    std::optional<std::string> reply;
    for (int attempt = 0; attempt < 5 && !reply; ++attempt) reply = client.Ask(ip, "@R10#");
    EXPECT_EQ(reply, "@10 01#");
    EXPECT_FALSE(client.Receive(50ms)) << "a bad datagram was answered";
    EXPECT_EQ(sim.Stop(SIGINT), 0);
}
