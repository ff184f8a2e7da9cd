// Command line of corvane-cli: what each command takes, and the usage errors
// (status 2) that must never reach a switcher.
#include <gtest/gtest.h>

#include "cli/CliOptions.h"
#include "link/ComPortText.h"
#include "link/DeviceState.h"
#include "link/SerialPort.h"

using namespace corvane::cli;

namespace {

using corvane::link::ComPortName;
using corvane::link::ParseComPort;

CliOptions Parse(const QStringList& args) {
    CliOptions o;
    QString strError;
    EXPECT_TRUE(CliParse(args, o, strError)) << args.join(' ').toStdString() << ": " << strError.toStdString();
    return o;
}

QString Refused(const QStringList& args) {
    CliOptions o;
    QString strError;
    EXPECT_FALSE(CliParse(args, o, strError)) << args.join(' ').toStdString();
    EXPECT_FALSE(strError.isEmpty());
    return strError;
}

}  // namespace

TEST(CliOptionsTest, LinkAndCommonOptions) {
    CliOptions o = Parse({"--port", "com3", "status"});
    EXPECT_EQ(o.strCommand, "status");
    EXPECT_EQ(ParseComPort(o.strPort), 3);
    EXPECT_EQ(o.nTimeoutMs, 8000);
    EXPECT_FALSE(o.bJson);

    o = Parse({"status", "--host", "10.1.2.3", "--local-port", "6001", "--timeout", "1.5", "--json", "--trace", "t.log"});
    EXPECT_EQ(o.strHost, "10.1.2.3");
    EXPECT_EQ(o.nLocalPort, 6001);
    EXPECT_EQ(o.nTimeoutMs, 1500);
    EXPECT_TRUE(o.bJson);
    EXPECT_EQ(o.strTrace, "t.log");

}

TEST(CliOptionsTest, ComPortsRoundTrip) {
    for (int n = 1; n <= MaxSerialPortNum; ++n) {
        EXPECT_EQ(ParseComPort(ComPortName(n)), n);
        EXPECT_EQ(ParseComPort(ComPortName(n).toLower()), n);
    }
    EXPECT_EQ(ParseComPort("/dev/serial/by-id/usb-x"), 0);
    for (const char* psz : {"COM31", "COM0", "COM", "COM+3", "COM-3", "COM3x", "ttyUSB0", ""})
        EXPECT_EQ(ParseComPort(psz), -1) << psz;
}

TEST(CliOptionsTest, EveryCommandWithItsArguments) {
    CliOptions o = Parse({"--port", "COM1", "route", "2", "3"});
    EXPECT_EQ(o.route.nOutput, 1);
    EXPECT_EQ(o.route.nInput, 2);
    o = Parse({"--port", "COM1", "route", "all", "4"});
    EXPECT_EQ(o.route.nOutput, -1);
    EXPECT_EQ(o.route.nInput, 3);

    o = Parse({"--port", "COM1", "edid", "2"});
    EXPECT_FALSE(o.edid.bWrite);
    EXPECT_EQ(o.edid.nInput, 1);
    o = Parse({"--port", "COM1", "edid", "3", "4k60-420", "--hdr", "--3d", "--36bit", "--ch", "5.1"});
    EXPECT_TRUE(o.edid.bWrite);
    EXPECT_EQ(o.edid.nMode, 2);
    // The same byte the window's EDID Config page sends: 3D + 5.1 CH + 36Bit + HDR is a5.
    EXPECT_EQ(o.edid.nFlags, 0xA5u);
    o = Parse({"--port", "COM1", "edid", "1", "TV2", "--30bit", "--48bit"});
    EXPECT_EQ(o.edid.nMode, 5);
    EXPECT_EQ(o.edid.nFlags, EDID_FLAG_DEEP_30BIT | EDID_FLAG_DEEP_48BIT);
    EXPECT_EQ(Parse({"--port", "COM1", "edid", "1", "7"}).edid.nMode, 7);

    EXPECT_FALSE(Parse({"--port", "COM1", "name"}).name);
    EXPECT_EQ(*Parse({"--port", "COM1", "name", "ROOM A"}).name, "ROOM A");
    EXPECT_EQ(*Parse({"--port", "COM1", "name", "ABCDEFGHIJKLMNOP"}).name, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(*Parse({"--port", "COM1", "name", QString::fromUtf8("Saal Ä")}).name, QString::fromUtf8("Saal Ä"));

    EXPECT_FALSE(Parse({"--port", "COM1", "net"}).net.IsWrite());
    o = Parse({"--port", "COM1", "net", "--ip", "192.168.1.10", "--dhcp", "off"});
    ASSERT_TRUE(o.net.ip);
    EXPECT_EQ(*o.net.ip, (Ipv4{192, 168, 1, 10}));
    EXPECT_FALSE(o.net.mask);
    EXPECT_EQ(o.net.dhcp, std::optional<bool>(false));

    EXPECT_TRUE(Parse({"--port", "COM1", "power", "on"}).bPowerOn);
    EXPECT_FALSE(Parse({"--port", "COM1", "power", "OFF"}).bPowerOn);
    EXPECT_EQ(Parse({"--port", "COM1", "restart", "--yes"}).strCommand, "restart");
    EXPECT_EQ(Parse({"--port", "COM1", "defaults", "--yes"}).strCommand, "defaults");
    EXPECT_FALSE(Parse({"--port", "COM1", "debug"}).debugOn);
    EXPECT_EQ(Parse({"--port", "COM1", "debug", "on"}).debugOn, std::optional<bool>(true));
    EXPECT_EQ(Parse({"--port", "COM1", "load"}).strCommand, "load");

    o = Parse({"search", "--wait", "0.5", "--broadcast", "127.0.0.9"});
    EXPECT_EQ(o.nSearchWaitMs, 500);
    EXPECT_EQ(o.broadcast, std::optional<Ipv4>(Ipv4{127, 0, 0, 9}));

    o = Parse({"apply", "room.json", "--dry-run", "--with-network"});
    EXPECT_EQ(o.strApplyFile, "room.json");
    EXPECT_TRUE(o.bDryRun);
    EXPECT_TRUE(o.bWithNetwork);
    EXPECT_FALSE(o.HasLink());

    EXPECT_EQ(Parse({"--host", "127.0.0.2", "watch", "--interval", "0.5"}).intervalMs, std::optional<int>(500));
    EXPECT_FALSE(Parse({"--host", "127.0.0.2", "watch"}).intervalMs);
    EXPECT_TRUE(Parse({"--help"}).bHelp);
    EXPECT_TRUE(Parse({"--version"}).bVersion);
}

TEST(CliOptionsTest, UsageErrors) {
    Refused({});
    Refused({"--port", "COM1"});
    Refused({"--port", "COM1", "frobnicate"});
    Refused({"--bogus", "status"});
    // Links: one, well formed, to one switcher.
    Refused({"status"});
    Refused({"--port", "COM1", "--host", "10.0.0.1", "status"});
    Refused({"--port", "ttyUSB0", "status"});
    Refused({"--port", "COM0", "status"});
    Refused({"--host", "10.0.0", "status"});
    Refused({"--host", "10.0.0.256", "status"});
    Refused({"--host", "255.255.255.255", "status"});
    Refused({"--host", "0.0.0.0", "status"});
    Refused({"--host", "10.0.0.1", "--local-port", "70000", "status"});
    Refused({"--port", "COM1", "--port", "", "status"});
    Refused({"--port", "COM1", "--timeout", "0", "status"});
    Refused({"--port", "COM1", "--timeout", "soon", "status"});
    // Arguments of the commands.
    Refused({"--port", "COM1", "status", "extra"});
    Refused({"--port", "COM1", "route", "5", "1"});
    Refused({"--port", "COM1", "route", "1", "0"});
    Refused({"--port", "COM1", "route", "1"});
    Refused({"--port", "COM1", "edid", "1", "--hdr"});
    Refused({"--port", "COM1", "edid", "1", "8k"});
    Refused({"--port", "COM1", "edid", "1", "8"});
    Refused({"--port", "COM1", "edid", "1", "1080p", "--ch", "3.1"});
    Refused({"--port", "COM1", "name", "ABCDEFGHIJKLMNOPQ"});
    Refused({"--port", "COM1", "name", QString::fromUtf8("会议室")});
    Refused({"--port", "COM1", "net", "--ip", "1.2.3"});
    Refused({"--port", "COM1", "net", "--dhcp", "maybe"});
    Refused({"--port", "COM1", "power"});
    Refused({"--port", "COM1", "power", "up"});
    Refused({"--port", "COM1", "debug", "yes"});
    Refused({"--port", "COM1", "apply"});
    // What changes the switcher for good needs --yes, and --yes nothing else.
    EXPECT_TRUE(Refused({"--port", "COM1", "restart"}).contains("--yes"));
    Refused({"--port", "COM1", "defaults"});
    Refused({"--port", "COM1", "route", "1", "1", "--yes"});
    // Options of one command do not go with another.
    EXPECT_TRUE(Refused({"--port", "COM1", "status", "--hdr"}).contains("--hdr"));
    Refused({"--port", "COM1", "route", "1", "1", "--ip", "1.2.3.4"});
    Refused({"--port", "COM1", "status", "--wait", "1"});
    Refused({"--port", "COM1", "load", "--dry-run"});
    // A search goes to the network, not to one switcher; apply needs a link
    // unless it only shows what it would send.
    Refused({"--port", "COM1", "search"});
    Refused({"--host", "10.0.0.1", "search"});
    Refused({"search", "--broadcast", "everyone"});
    Refused({"apply", "room.json"});
}
