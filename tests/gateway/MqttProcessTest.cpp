// corvane-gateway's MQTT front-end against Debian's mosquitto and
// corvane-sim: the retained state and the discovery configurations appear,
// commands reach the switcher as frames and are answered, refusals change
// nothing; the broker restarted, the gateway killed, a burst of commands.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/gateway/GatewayClient.h"
#include "tests/gateway/MqttBroker.h"
#include "tests/support/SimProcess.h"

namespace {

// The simulator's MAC, which names the topics when no id is given.
const QString SIM_ID = QStringLiteral("024356000001");
const QString BASE = QStringLiteral("corvane/") + SIM_ID;

QJsonObject Json(const QByteArray& text) { return QJsonDocument::fromJson(text).object(); }

// The route frames ("@W oo ii#") among the polls, in order.
QByteArray RouteFrames(const QByteArray& received) {
    QByteArray frames;
    for (qsizetype at = received.indexOf("@W "); at >= 0; at = received.indexOf("@W ", at + 1))
        frames += received.mid(at, 9);
    return frames;
}

class MqttProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(broker.Start()) << broker.Log().constData();
        pWatcher = std::make_unique<TestMqttClient>(broker, QStringList{"corvane/#", "homeassistant/#"});
    }

    void StartSim(CSimProcess& s, const QString& link, const QStringList& args = {}) {
        SimStart start;
        start.aArgs = QStringList{"--link", link} + args;
        ASSERT_TRUE(s.Start(start));
    }
    void StartGateway(GatewayProcess& g, const QString& link, const QStringList& args = {}) {
        const QString state = dir.filePath(QFileInfo(link).fileName() + QStringLiteral(".json"));
        ASSERT_TRUE(g.Start(
            QStringList{"--state", state, "--port", link, "--serial-poll-ms", "300", "--mqtt", broker.Url()} + args))
            << g.Log().constData();
    }
    // One simulator and its gateway, and a client that sees everything.
    void StartOne(const QStringList& gatewayArgs = {}) {
        StartSim(sim, LinkPath());
        StartGateway(gw, LinkPath(), gatewayArgs);
        ASSERT_TRUE(pWatcher->WaitReady());
        ASSERT_TRUE(pWatcher->WaitFor(BASE + "/availability", "online")) << gw.Log().constData();
        ASSERT_TRUE(pWatcher->WaitFor(BASE + "/output/4", "4")) << gw.Log().constData();
        // The whole state is published in one go, discovery last.
        ASSERT_TRUE(WaitUntil([&] {
            return pWatcher->Has(QStringLiteral("homeassistant/binary_sensor/%1_connectivity/config").arg(SIM_ID));
        }));
        ASSERT_TRUE(pWatcher->WaitFor(BASE + "/name", "CORVANE MATRIX"));
    }
    // Publishes a command and waits for the answer that follows it.
    QJsonObject Command(const QString& topic, const QByteArray& payload) {
        const size_t nBefore = pWatcher->On(BASE + "/result").size();
        EXPECT_TRUE(pWatcher->Publish(BASE + "/" + topic, payload));
        EXPECT_TRUE(WaitUntil([&] { return pWatcher->On(BASE + "/result").size() > nBefore; }, 20000))
            << gw.Log().constData();
        const auto results = pWatcher->On(BASE + "/result");
        return results.size() > nBefore ? Json(results[nBefore].payload) : QJsonObject();
    }
    QString LinkPath(int n = 1) const { return dir.filePath(QStringLiteral("com%1").arg(n)); }

    QTemporaryDir dir;
    MqttBroker broker;
    CSimProcess sim;
    GatewayProcess gw;
    std::unique_ptr<TestMqttClient> pWatcher;  // everything the gateways publish
};

TEST_F(MqttProcessTest, RetainedStateAppearsAndCommandsReachTheSwitcher) {
    StartOne();
    EXPECT_EQ(pWatcher->Last(BASE + "/name"), "CORVANE MATRIX");
    EXPECT_EQ(pWatcher->Last(BASE + "/presets"), "[]");
    const QJsonObject labels = Json(pWatcher->Last(BASE + "/labels"));
    EXPECT_EQ(labels["inputs"].toArray().size(), 4);
    EXPECT_EQ(labels["outputs"].toArray().at(1).toString(), "Output 2");
    for (int n = 1; n <= 4; ++n) EXPECT_TRUE(pWatcher->Has(BASE + QStringLiteral("/output/%1").arg(n)));

    // By number and by label; the state follows on the retained topic.
    QJsonObject r = Command("output/2/set", "4");
    EXPECT_TRUE(r["ok"].toBool()) << r["error"].toString().toStdString();
    EXPECT_EQ(r["command"].toString(), "output/2/set");
    EXPECT_TRUE(sim.Received().contains("@W 01 03#"));
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/output/2", "4"));
    EXPECT_TRUE(Command("output/3/set", "Input 1")["ok"].toBool());
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/output/3", "1"));

    r = Command("name/set", "HALL 2");
    EXPECT_TRUE(r["ok"].toBool()) << r["error"].toString().toStdString();
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/name", "HALL 2"));

    // A change made on another front-end reaches the retained state too.
    ApiClient http(gw, "alice");
    ASSERT_EQ(http.Put("/api/v1/outputs/1", R"({"input": 2})").status, 200);
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/output/1", "2"));
}

TEST_F(MqttProcessTest, CommandsThatCannotBeCarriedOutChangeNothing) {
    StartOne();
    ApiClient http(gw, "alice");
    ASSERT_EQ(http.Put("/api/v1/locks/1").status, 200);
    const QByteArray before = sim.Received();
    struct Case {
        QString topic;
        QByteArray payload;
    };
    const Case cases[] = {
        {"output/1/set", "2"},         // locked by alice
        {"output/2/set", "9"},         // no such input
        {"output/2/set", ""},          // empty
        {"output/2/set", "Nowhere"},   // no such label
        {"output/2/set", "\xff\xfe"},  // not UTF-8
        {"output/5/set", "1"},         // no such output
        {"output/0/set", "1"},         //
        {"preset/apply", "none"},      // no such preset
        {"name/set", ""},              // empty name
        {"name/set", "a name far too long for it"},
        {"output/2/set", QByteArray(300, '1')},
    };
    for (const Case& c : cases) {
        const QJsonObject r = Command(c.topic, c.payload);
        EXPECT_FALSE(r["ok"].toBool()) << c.topic.toStdString() << " " << c.payload.toStdString();
        EXPECT_FALSE(r["error"].toString().isEmpty()) << c.topic.toStdString();
    }
    EXPECT_TRUE(Command("output/1/set", "2")["error"].toString().contains("locked"));

    // A round trip that does reach the switcher, so that nothing sent
    // before it can still be on its way.
    ASSERT_TRUE(Command("output/4/set", "4")["ok"].toBool());
    EXPECT_EQ(RouteFrames(sim.Received().mid(before.size())), QByteArray("@W 03 03#"));
    EXPECT_EQ(pWatcher->Last(BASE + "/name"), "CORVANE MATRIX");

    // The switcher gone: offline, and commands fail without being sent.
    sim.Stop();
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/availability", "offline"));
    EXPECT_FALSE(Command("output/2/set", "1")["ok"].toBool());
    StartSim(sim, LinkPath());
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/availability", "online"));
}

// The fields Home Assistant's MQTT discovery requires of each component,
// and the ones every entity here must have.
void ExpectEntity(const QJsonObject& c, const QString& base) {
    EXPECT_FALSE(c["unique_id"].toString().isEmpty());
    EXPECT_FALSE(c["name"].toString().isEmpty());
    const QJsonObject device = c["device"].toObject();
    EXPECT_FALSE(device["identifiers"].toArray().isEmpty());
    EXPECT_EQ(device["connections"].toArray().at(0).toArray(), QJsonArray({"mac", "02:43:56:00:00:01"}));
    EXPECT_FALSE(device["name"].toString().isEmpty());
    EXPECT_FALSE(device["model"].toString().isEmpty());
    EXPECT_FALSE(device["sw_version"].toString().isEmpty());
    if (c.contains("availability_topic")) {
        EXPECT_EQ(c["availability_topic"].toString(), base + "/availability");
        EXPECT_EQ(c["payload_available"].toString(), "online");
    }
}

TEST_F(MqttProcessTest, DiscoveryDescribesTheSwitcherAndFollowsLabelsAndPresets) {
    StartOne();
    const QString prefix = QStringLiteral("homeassistant/");
    QStringList uniqueIds;
    for (int n = 1; n <= 4; ++n) {
        const QString topic = prefix + QStringLiteral("select/%1_output_%2/config").arg(SIM_ID).arg(n);
        ASSERT_TRUE(WaitUntil([&] { return pWatcher->Has(topic); })) << topic.toStdString();
        const QJsonObject c = Json(pWatcher->Last(topic));
        ExpectEntity(c, BASE);
        EXPECT_EQ(c["command_topic"].toString(), BASE + QStringLiteral("/output/%1/set").arg(n));
        EXPECT_EQ(c["state_topic"].toString(), BASE + QStringLiteral("/output/%1").arg(n));
        EXPECT_EQ(c["options"].toArray(), QJsonArray({"Input 1", "Input 2", "Input 3", "Input 4"}));
        EXPECT_TRUE(c.contains("availability_topic"));
        uniqueIds << c["unique_id"].toString();
    }
    const QString sensorTopic = prefix + QStringLiteral("binary_sensor/%1_connectivity/config").arg(SIM_ID);
    ASSERT_TRUE(pWatcher->Has(sensorTopic));
    const QJsonObject sensor = Json(pWatcher->Last(sensorTopic));
    ExpectEntity(sensor, BASE);
    EXPECT_EQ(sensor["device_class"].toString(), "connectivity");
    EXPECT_EQ(sensor["state_topic"].toString(), BASE + "/availability");
    EXPECT_EQ(sensor["payload_on"].toString(), "online");
    uniqueIds << sensor["unique_id"].toString();

    // A label changes the options; a preset brings a button, which applies it.
    ApiClient http(gw, "alice");
    ASSERT_EQ(http.Put("/api/v1/labels/inputs/3", R"({"label": "Laptop"})").status, 200);
    const QString select1 = prefix + QStringLiteral("select/%1_output_1/config").arg(SIM_ID);
    ASSERT_TRUE(WaitUntil([&] { return Json(pWatcher->Last(select1))["options"].toArray().at(2) == "Laptop"; }));
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/labels", R"({"inputs":["Input 1","Input 2","Laptop","Input 4"],)"
                                                    R"("outputs":["Output 1","Output 2","Output 3","Output 4"]})"));
    ASSERT_EQ(http.Put("/api/v1/presets/Show%201").status, 200);
    ASSERT_EQ(http.Put("/api/v1/presets/Show_1").status, 200);
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/presets", R"(["Show 1","Show_1"])"));
    const QString button = prefix + QStringLiteral("button/%1_preset_Show_201/config").arg(SIM_ID);
    const QString other = prefix + QStringLiteral("button/%1_preset_Show_5f1/config").arg(SIM_ID);
    ASSERT_TRUE(WaitUntil([&] { return pWatcher->Has(button) && pWatcher->Has(other); }));
    const QJsonObject b = Json(pWatcher->Last(button));
    ExpectEntity(b, BASE);
    EXPECT_EQ(b["command_topic"].toString(), BASE + "/preset/apply");
    EXPECT_EQ(b["payload_press"].toString(), "Show 1");
    uniqueIds << b["unique_id"].toString() << Json(pWatcher->Last(other))["unique_id"].toString();
    uniqueIds.removeDuplicates();
    EXPECT_EQ(uniqueIds.size(), 7) << "every entity has an id of its own";

    ASSERT_TRUE(Command("output/1/set", "Laptop")["ok"].toBool());
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/output/1", "3"));
    const QJsonObject r = Command("preset/apply", "Show 1");
    EXPECT_TRUE(r["ok"].toBool()) << r["error"].toString().toStdString();
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/output/1", "1"));

    // A preset deleted: its button's configuration becomes empty.
    ASSERT_EQ(http.Delete("/api/v1/presets/Show%201").status, 200);
    EXPECT_TRUE(pWatcher->WaitFor(button, ""));
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/presets", R"(["Show_1"])"));
}

TEST_F(MqttProcessTest, BrokerRestartedGetsTheStateAgainAndNoCommandTwice) {
    StartOne();
    ASSERT_TRUE(Command("output/1/set", "3")["ok"].toBool());
    broker.Stop();
    // The switcher side goes on meanwhile.
    ApiClient http(gw, "alice");
    ASSERT_EQ(http.Put("/api/v1/outputs/2", R"({"input": 1})").status, 200);
    ASSERT_TRUE(broker.Restart()) << broker.Log().constData();

    // The broker kept nothing; what a new subscriber sees came again.
    TestMqttClient late(broker, {"corvane/#"});
    ASSERT_TRUE(late.WaitReady());
    EXPECT_TRUE(late.WaitFor(BASE + "/availability", "online", 60000)) << gw.Log().constData();
    EXPECT_TRUE(late.WaitFor(BASE + "/output/1", "3"));
    EXPECT_TRUE(late.WaitFor(BASE + "/output/2", "1"));
    EXPECT_TRUE(WaitUntil([&] { return late.Has(BASE + "/labels"); }));

    // Commands work again, and the one before the restart went out once.
    const size_t nBefore = late.On(BASE + "/result").size();
    late.Publish(BASE + "/output/3/set", "2");
    ASSERT_TRUE(WaitUntil([&] { return late.On(BASE + "/result").size() > nBefore; }));
    EXPECT_EQ(sim.Received().count("@W 00 02#"), 1);
    EXPECT_EQ(sim.Received().count("@W 02 01#"), 1);
}

TEST_F(MqttProcessTest, TheLastWillSaysOfflineWhenTheGatewayIsKilled) {
    StartOne();
    ::kill(static_cast<pid_t>(gw.Process().processId()), SIGKILL);
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/availability", "offline", 120000));
    gw.Stop();

    // A command left retained would be carried out on every connection:
    // the gateway started again refuses it.
    const QByteArray before = sim.Received();
    pWatcher->Publish(BASE + "/output/2/set", "1", true);
    StartGateway(gw, LinkPath());
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/availability", "online"));
    ASSERT_TRUE(WaitUntil([&] { return pWatcher->Last(BASE + "/result").contains("retain"); }));
    EXPECT_FALSE(Json(pWatcher->Last(BASE + "/result"))["ok"].toBool());
    pWatcher->Publish(BASE + "/output/2/set", "", true);
    EXPECT_EQ(RouteFrames(sim.Received().mid(before.size())), "");

    // Stopped cleanly, it says so itself.
    EXPECT_EQ(gw.Stop(), 0);
    EXPECT_TRUE(pWatcher->WaitFor(BASE + "/availability", "offline"));
}

TEST_F(MqttProcessTest, ABurstOfCommandsIsAnsweredAndAppliedInOrder) {
    StartOne();
    constexpr int N = 1000;
    const size_t nBefore = pWatcher->On(BASE + "/result").size();
    const QByteArray sentBefore = sim.Received();
    QByteArray expected;
    for (int i = 0; i < N; ++i) {
        const int output = i % 4, input = (i / 4 + output) % 4;
        pWatcher->Publish(BASE + QStringLiteral("/output/%1/set").arg(output + 1), QByteArray::number(input + 1));
        expected += QStringLiteral("@W %1 %2#")
                        .arg(output, 2, 10, QLatin1Char('0'))
                        .arg(input, 2, 10, QLatin1Char('0'))
                        .toLatin1();
    }
    ASSERT_TRUE(WaitUntil([&] { return pWatcher->On(BASE + "/result").size() >= nBefore + N; }, 120000))
        << pWatcher->On(BASE + "/result").size() - nBefore << " answered";
    const auto results = pWatcher->On(BASE + "/result");
    int nOk = 0;
    for (size_t i = nBefore; i < results.size(); ++i) {
        const QJsonObject r = Json(results[i].payload);
        const int n = int(i - nBefore);
        EXPECT_EQ(r["command"].toString(), QStringLiteral("output/%1/set").arg(n % 4 + 1)) << n;
        nOk += r["ok"].toBool();
    }
    EXPECT_EQ(nOk, N);
    // Polls go out between the commands; the commands' frames in order.
    EXPECT_EQ(RouteFrames(sim.Received().mid(sentBefore.size())), expected);
}

}  // namespace
