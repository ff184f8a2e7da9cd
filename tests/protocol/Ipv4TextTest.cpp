// IPv4 text, both ways: what the links print is what the command line and
// the snapshot files read back, and nothing loosely like an address passes.
#include <gtest/gtest.h>

#include "link/Ipv4Text.h"

using corvane::link::DottedIp;
using corvane::link::Ipv4;
using corvane::link::Ipv4FromHostOrder;
using corvane::link::Ipv4HostOrder;
using corvane::link::Ipv4Text;
using corvane::link::ParseIpv4;

TEST(Ipv4Text, EveryOctetRoundTrips) {
    for (int n = 0; n <= 255; ++n) {
        const Ipv4 ip{static_cast<BYTE>(n), static_cast<BYTE>(255 - n), static_cast<BYTE>(n / 2), static_cast<BYTE>(n)};
        const std::optional<Ipv4> back = ParseIpv4(Ipv4Text(ip));
        ASSERT_TRUE(back) << Ipv4Text(ip);
        EXPECT_EQ(*back, ip);
        EXPECT_EQ(Ipv4FromHostOrder(Ipv4HostOrder(ip)), ip);
    }
    EXPECT_EQ(Ipv4HostOrder(Ipv4{192, 168, 1, 10}), 0xC0A8010Au);
    EXPECT_EQ(DottedIp(0xC0A8010Au), "192.168.1.10");
    EXPECT_EQ(DottedIp(0xFFFFFFFFu), "255.255.255.255");
    EXPECT_EQ(DottedIp(0), "0.0.0.0");
    EXPECT_EQ(ParseIpv4("010.001.000.255"), (Ipv4{10, 1, 0, 255}));
}

TEST(Ipv4Text, AnythingButFourOctetsIsRefused) {
    for (const char* psz :
         {"", "1.2.3", "1.2.3.4.", ".1.2.3", "1.2.3.4.5", "1..2.3", "256.1.1.1", "1.2.3.1000", "0001.2.3.4", " 1.2.3.4",
          "1.2.3.4 ", "+1.2.3.4", "-1.2.3.4", "1.2.3.4/24", "a.b.c.d", "1,2,3,4", "0x1.2.3.4"}) {
        EXPECT_FALSE(ParseIpv4(psz)) << psz;
    }
}
