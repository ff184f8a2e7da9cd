// The MQTT front-end's settings and the texts it publishes, without a
// broker: what is refused, how an output's command payload is read, and
// that distinct presets get distinct buttons.
#include <gtest/gtest.h>

#include "gateway/GatewayConfig.h"
#include "gateway/mqtt/MqttSettings.h"
#include "gateway/mqtt/Payloads.h"

namespace {

using namespace corvane::gateway;
using namespace corvane::gateway::mqtt;

TEST(MqttSettingsTest, UrlsAndKeysAreCheckedTogether) {
    MqttSettings m;
    QString error;
    ASSERT_TRUE(ParseMqttSettings({}, m, error));
    EXPECT_FALSE(m.enabled);

    ASSERT_TRUE(ParseMqttSettings({{"mqtt", "mqtt://broker.lan"}}, m, error)) << error.toStdString();
    EXPECT_TRUE(m.enabled);
    EXPECT_EQ(m.host, "broker.lan");
    EXPECT_EQ(m.port, 1883);
    EXPECT_FALSE(m.tls);
    EXPECT_EQ(m.discoveryPrefix, "homeassistant");

    ASSERT_TRUE(ParseMqttSettings({{"mqtt", "mqtts://10.0.0.2"},
                                   {"mqtt-ca", "/etc/ca.pem"},
                                   {"mqtt-id", "hall_2"},
                                   {"mqtt-user", "gw"},
                                   {"mqtt-password-file", "/etc/pw"},
                                   {"discovery-prefix", "ha/test"}},
                                  m, error))
        << error.toStdString();
    EXPECT_TRUE(m.tls);
    EXPECT_EQ(m.port, 8883);
    EXPECT_EQ(m.id, "hall_2");
    EXPECT_EQ(m.discoveryPrefix, "ha/test");

    const QMap<QString, QString> refused[] = {
        {{"mqtt", "http://broker"}},
        {{"mqtt", "mqtt://"}},
        {{"mqtt", "mqtt://broker/path"}},
        {{"mqtt", "mqtt://user:pw@broker"}},
        {{"mqtt", "mqtt://broker:0"}},
        {{"mqtt-id", "x"}},                              // without a broker
        {{"mqtt", "mqtt://b"}, {"mqtt-ca", "/ca.pem"}},  // CA without TLS
        {{"mqtt", "mqtt://b"}, {"mqtt-id", "a/b"}},
        {{"mqtt", "mqtt://b"}, {"mqtt-id", "a+"}},
        {{"mqtt", "mqtt://b"}, {"mqtt-id", ""}},
        {{"mqtt", "mqtt://b"}, {"mqtt-password-file", "/pw"}},  // no user
        {{"mqtt", "mqtt://b"}, {"discovery-prefix", "ha/#"}},
        {{"mqtt", "mqtt://b"}, {"discovery-prefix", "ha//x"}},
    };
    for (const auto& s : refused) {
        error.clear();
        EXPECT_FALSE(ParseMqttSettings(s, m, error)) << s.firstKey().toStdString() << "=" << s.first().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(MqttSettingsTest, TheGatewayTakesTheKeysFromTheFileAndTheCommandLine) {
    Settings s;
    QString error;
    ASSERT_TRUE(ParseConfigText("port = COM3\nmqtt = mqtt://127.0.0.1:1884\ndiscovery-prefix = ha\n", s, error));
    QString configFile;
    bool given = false, help = false, version = false;
    ASSERT_TRUE(ParseCommandLine({"--mqtt-id", "room1"}, s, configFile, given, help, version, error));
    GatewayConfig c;
    ASSERT_TRUE(MakeConfig(s, c, error)) << error.toStdString();
    EXPECT_EQ(c.mqtt.port, 1884);
    EXPECT_EQ(c.mqtt.id, "room1");
    EXPECT_EQ(c.mqtt.discoveryPrefix, "ha");
    EXPECT_TRUE(GatewayUsage().contains("--mqtt URL"));
}

TEST(MqttPayloadTest, AnOutputTakesALabelOrAnInputNumber) {
    HostState host = HostState::Defaults();
    host.inputLabels[1] = "Laptop";
    host.inputLabels[2] = "4";  // a label that looks like a number wins
    QString error;
    EXPECT_EQ(ParseInput("Laptop", host, error), 1);
    EXPECT_EQ(ParseInput("1", host, error), 0);
    EXPECT_EQ(ParseInput(" 2 ", host, error), 1);
    EXPECT_EQ(ParseInput("4", host, error), 2);
    EXPECT_EQ(ParseInput("Input 4", host, error), 3);
    for (const QByteArray& bad : {QByteArray(""), QByteArray("0"), QByteArray("5"), QByteArray("laptop"),
                                  QByteArray("1.0"), QByteArray("-1")}) {
        error.clear();
        EXPECT_EQ(ParseInput(bad, host, error), -1) << bad.constData();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(MqttPayloadTest, PresetButtonsHaveDistinctTopicSafeIds) {
    const QStringList names = {"Show 1", "Show_1", "Show.1", "show 1", "Bühne"};
    QStringList ids;
    for (const QString& n : names) {
        const QString id = PresetObjectId("room1", n);
        EXPECT_TRUE(ValidTopicLevel(id.left(64)) || id.size() > 64) << id.toStdString();
        for (QChar c : id) EXPECT_TRUE(c.isLetterOrNumber() || c == '_') << id.toStdString();
        ids << id;
    }
    ids.removeDuplicates();
    EXPECT_EQ(ids.size(), names.size());
}

TEST(MqttPayloadTest, StateTextsAreCompactJson) {
    HostState host = HostState::Defaults();
    host.presets["B"] = {0, 1, 2, 3};
    host.presets["A"] = {0, 0, 0, 0};
    EXPECT_EQ(PresetsPayload(host), R"(["A","B"])");
    EXPECT_EQ(LabelsPayload(host), R"({"inputs":["Input 1","Input 2","Input 3","Input 4"],)"
                                   R"("outputs":["Output 1","Output 2","Output 3","Output 4"]})");
    EXPECT_EQ(ResultPayload("name/set", "X", Outcome::Done()),
              R"({"command":"name/set","error":null,"ok":true,"payload":"X"})");
    EXPECT_EQ(ResultPayload("preset/apply", "Q", Outcome::Fail(Failure::NotFound, "there is no preset \"Q\"")),
              R"({"command":"preset/apply","error":"there is no preset \"Q\"","ok":false,"payload":"Q"})");
    NetValue net;
    EXPECT_EQ(MacId(net), "");
    net.mac = {0x02, 0xAB, 0, 0, 0x10, 0xff};
    EXPECT_EQ(MacId(net), "02ab000010ff");
}

}  // namespace
