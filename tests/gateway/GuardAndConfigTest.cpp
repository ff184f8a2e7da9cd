// The request checks (origin, token, client name) and the settings from the
// file and the command line.
#include <gtest/gtest.h>

#include "gateway/GatewayConfig.h"
#include "gateway/http/RequestGuard.h"

namespace corvane::gateway {
namespace {

TEST(RequestGuardTest, OnlyTheGatewaysOwnOriginAndTheRightTokenPass) {
    const QUrl target(QStringLiteral("http://127.0.0.1:8080/api/v1/state"));
    EXPECT_TRUE(SameOrigin("", target)) << "no Origin: not a browser page";
    EXPECT_TRUE(SameOrigin("http://127.0.0.1:8080", target));
    EXPECT_FALSE(SameOrigin("http://127.0.0.1:9000", target));
    EXPECT_FALSE(SameOrigin("http://evil.example", target));
    EXPECT_FALSE(SameOrigin("null", target));
    EXPECT_TRUE(SameOrigin("http://HOST", QUrl(QStringLiteral("http://host/x"))));

    EXPECT_TRUE(TokenAccepted("", QString()));
    EXPECT_TRUE(TokenAccepted("Bearer abc", QStringLiteral("abc")));
    EXPECT_FALSE(TokenAccepted("Bearer abd", QStringLiteral("abc")));
    EXPECT_FALSE(TokenAccepted("Bearer abcd", QStringLiteral("abc")));
    EXPECT_FALSE(TokenAccepted("", QStringLiteral("abc")));

    const QHostAddress peer(QStringLiteral("127.0.0.9"));
    EXPECT_EQ(ClientName("desk", peer), "desk");
    EXPECT_EQ(ClientName("", peer), "http 127.0.0.9");
    EXPECT_EQ(ClientName(QByteArray(65, 'x'), peer), "http 127.0.0.9");
    EXPECT_EQ(ClientName("bad\nname", peer), "http 127.0.0.9");
}

TEST(GatewayConfigTest, TheCommandLineWinsOverTheFileAndBadValuesAreNamed) {
    Settings s;
    QString error;
    ASSERT_TRUE(ParseConfigText(
        QStringLiteral("# the room\nport = /dev/ttyUSB0\nhttp = 0.0.0.0:80 # LAN\n\ntoken=abc\n"), s, error));
    QString configFile;
    bool given = false, help = false, version = false;
    ASSERT_TRUE(ParseCommandLine({"--http", "127.0.0.2:9000", "--config", "/x.conf"}, s, configFile, given, help,
                                 version, error));
    EXPECT_TRUE(given);
    EXPECT_EQ(configFile, "/x.conf");
    GatewayConfig c;
    ASSERT_TRUE(MakeConfig(s, c, error)) << error.toStdString();
    EXPECT_EQ(c.port, "/dev/ttyUSB0");
    EXPECT_EQ(c.httpAddress, QHostAddress(QStringLiteral("127.0.0.2")));
    EXPECT_EQ(c.httpPort, 9000);
    EXPECT_EQ(c.token, "abc");
    EXPECT_EQ(c.videohubAddress, QHostAddress(QHostAddress::LocalHost)) << "loopback unless configured";
    EXPECT_EQ(c.videohubPort, 9990);
    GatewayConfig router;
    ASSERT_TRUE(MakeConfig({{"port", "COM1"}, {"videohub", "0.0.0.0:9991"}}, router, error));
    EXPECT_EQ(router.videohubAddress, QHostAddress(QStringLiteral("0.0.0.0")));
    EXPECT_EQ(router.videohubPort, 9991);

    EXPECT_FALSE(ParseConfigText(QStringLiteral("colour = blue\n"), s, error));
    EXPECT_TRUE(error.contains("line 1"));
    EXPECT_FALSE(ParseCommandLine({"--http"}, s, configFile, given, help, version, error));
    EXPECT_FALSE(ParseCommandLine({"--bogus", "1"}, s, configFile, given, help, version, error));

    const std::pair<Settings, const char*> bad[] = {
        {{}, "either port"},
        {{{"port", "COM1"}, {"host", "1.2.3.4"}}, "either port"},
        {{{"host", "1.2.3"}}, "not an address"},
        {{{"port", "COM99"}}, "COM1..COM30"},
        {{{"port", "COM1"}, {"http", "localhost"}}, "ADDRESS:PORT"},
        {{{"port", "COM1"}, {"http", "127.0.0.1:70000"}}, "ADDRESS:PORT"},
        {{{"port", "COM1"}, {"serial-poll-ms", "5"}}, "200..60000"},
        // Every listener worded alike, with examples on its own default port.
        {{{"port", "COM1"}, {"http", "localhost"}},
         "http localhost is not ADDRESS:PORT (for example 127.0.0.1:8080, or 0.0.0.0:8080 for the LAN)"},
        {{{"port", "COM1"}, {"videohub", "127.0.0.1"}},
         "videohub 127.0.0.1 is not ADDRESS:PORT (for example 127.0.0.1:9990, or 0.0.0.0:9990 for the LAN)"},
        {{{"port", "COM1"}, {"relay", "1.2.3"}},
         "relay 1.2.3 is not ADDRESS (for example 127.0.0.1, or 0.0.0.0 for the LAN)"},
    };
    for (const auto& [settings, text] : bad) {
        EXPECT_FALSE(MakeConfig(settings, c, error));
        EXPECT_TRUE(error.contains(QLatin1String(text))) << error.toStdString();
    }
}

}  // namespace
}  // namespace corvane::gateway
