#include "gateway/mqtt/MqttFront.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace corvane::gateway::mqtt {
namespace {

const QString AVAILABILITY = QStringLiteral("availability");

Outcome Malformed(const QString& text) { return Outcome::Fail(Failure::BadRequest, text); }

bool ValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)decoder.decode(bytes);
    return !decoder.hasError();
}

}  // namespace

MqttFront::MqttFront(Hub& hub, MqttSettings settings, QString password, QString version, QObject* parent)
    : QObject(parent),
      m_hub(hub),
      m_settings(std::move(settings)),
      m_strPassword(std::move(password)),
      m_strVersion(std::move(version)) {
    m_names.id = m_settings.id;
    m_names.prefix = m_settings.discoveryPrefix;
    m_client.onLog = [this](const QString& line) { Log(line); };
    connect(&m_hub, &Hub::changed, this, [this](Change what, const QString&) { OnChange(what); });
    connect(&m_client, &MqttClient::connected, this, &MqttFront::OnConnected);
    connect(&m_client, &MqttClient::message, this, &MqttFront::OnMessage);
}

bool MqttFront::Start(QString& error) {
    if (m_names.id.isEmpty()) {
        m_names.id = MacId(m_hub.Switcher().net);
        if (m_names.id.isEmpty()) {
            Log(QStringLiteral("MQTT waits for the switcher's MAC address to name its topics (or give --mqtt-id)"));
            return true;
        }
    }
    return StartClient(error);
}

bool MqttFront::StartClient(QString& error) {
    ClientOptions o;
    o.clientId = QStringLiteral("corvane-gateway-%1").arg(m_names.id);
    o.host = m_settings.host;
    o.port = m_settings.port;
    o.tls = m_settings.tls;
    o.caFile = m_settings.caFile;
    o.user = m_settings.user;
    o.password = m_strPassword;
    o.willTopic = m_names.Topic(AVAILABILITY);
    o.willPayload = "offline";
    if (!m_client.Start(o, error)) return false;
    m_bStarted = true;
    Log(QStringLiteral("MQTT to %1://%2:%3 under %4")
            .arg(m_settings.tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"), m_settings.host)
            .arg(m_settings.port)
            .arg(m_names.Base()));
    return true;
}

void MqttFront::Stop() {
    if (m_bStarted) m_client.Stop(m_names.Topic(AVAILABILITY), "offline");
}

// ------------------------------------------------------------ the state

void MqttFront::OnChange(Change what) {
    if (!m_bStarted) {
        if (what != Change::Network || MacId(m_hub.Switcher().net).isEmpty()) return;
        QString error;
        m_names.id = MacId(m_hub.Switcher().net);
        if (!StartClient(error)) Log(error);
        return;
    }
    if (what == Change::Routing) {
        PublishOutputs();
    } else if (what != Change::Edid && what != Change::Locks) {
        PublishAll();
    }
}

void MqttFront::OnConnected() {
    m_published.clear();
    const QString base = m_names.Base();
    m_client.Subscribe(base + QStringLiteral("/output/+/set"));
    m_client.Subscribe(base + QStringLiteral("/preset/apply"));
    m_client.Subscribe(base + QStringLiteral("/name/set"));
    // Buttons of presets deleted while the gateway was away are cleared
    // when their retained configurations come back.
    m_client.Subscribe(m_names.prefix + QStringLiteral("/button/+/config"));
    PublishAll();
}

void MqttFront::PublishAll() {
    const SwitcherState& sw = m_hub.Switcher();
    PublishRetained(m_names.Topic(AVAILABILITY), sw.present ? "online" : "offline");
    PublishOutputs();
    PublishRetained(m_names.Topic(QStringLiteral("labels")), LabelsPayload(m_hub.Host()));
    if (sw.known) PublishRetained(m_names.Topic(QStringLiteral("name")), sw.name.toUtf8());
    PublishRetained(m_names.Topic(QStringLiteral("presets")), PresetsPayload(m_hub.Host()));
    PublishDiscovery();
}

void MqttFront::PublishOutputs() {
    if (!m_hub.Switcher().known) return;
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        PublishRetained(m_names.Topic(QStringLiteral("output/%1").arg(o + 1)),
                        QByteArray::number(m_hub.Switcher().routing[o] + 1));
    }
}

void MqttFront::PublishDiscovery() {
    std::set<QString> buttons;
    const QString buttonPrefix = m_names.prefix + QStringLiteral("/button/");
    for (const DiscoveryItem& item : Discovery(m_names, m_hub, m_strVersion)) {
        if (item.topic.startsWith(buttonPrefix)) buttons.insert(item.topic);
        PublishRetained(item.topic, item.payload);
    }
    // A preset gone: its button goes with an empty retained configuration.
    for (const QString& topic : m_buttons) {
        if (!buttons.count(topic)) PublishRetained(topic, {});
    }
    m_buttons = std::move(buttons);
}

void MqttFront::PublishRetained(const QString& topic, const QByteArray& payload) {
    const auto it = m_published.find(topic);
    if (it != m_published.end() && it->second == payload) return;
    if (m_client.Publish(topic, payload, true)) m_published[topic] = payload;
}

// ------------------------------------------------------------ commands

void MqttFront::OnMessage(const QString& topic, const QByteArray& payload, bool retained) {
    const QString base = m_names.Base() + QLatin1Char('/');
    if (!topic.startsWith(base)) {
        OnRetainedButton(topic, payload);
        return;
    }
    const Command command{topic.mid(base.size()), payload};
    // A retained command would be carried out again on every reconnection.
    if (retained) {
        Answer(command, Malformed(QStringLiteral("a retained command is not carried out; publish without retain")));
        return;
    }
    if (int(m_waiting.size()) >= COMMANDS_WAITING_MAX) {
        Answer(command, Outcome::Fail(Failure::QueueFull,
                                      QStringLiteral("more than %1 commands waiting").arg(COMMANDS_WAITING_MAX)));
        return;
    }
    m_waiting.push_back(command);
    Pump();
}

void MqttFront::OnRetainedButton(const QString& topic, const QByteArray& payload) {
    const QString mine = m_names.Config(QStringLiteral("button"), PresetObjectId(m_names.id, {}));
    const QString stem = mine.left(mine.size() - int(qstrlen("/config")));
    if (payload.isEmpty() || !topic.startsWith(stem) || m_buttons.count(topic)) return;
    m_client.Publish(topic, {}, true);
}

// One command at a time; an answer given at once does not nest.
void MqttFront::Pump() {
    if (m_bPumping) return;
    m_bPumping = true;
    while (!m_bBusy && !m_waiting.empty()) {
        const Command command = m_waiting.front();
        m_waiting.pop_front();
        m_bBusy = true;
        Run(command, [this, command](const Outcome& outcome) {
            Answer(command, outcome);
            m_bBusy = false;
            if (!m_bPumping) Pump();
        });
    }
    m_bPumping = false;
}

void MqttFront::Run(const Command& command, const Completion& done) {
    if (command.payload.size() > COMMAND_PAYLOAD_MAX_BYTES || !ValidUtf8(command.payload)) {
        done(Malformed(QStringLiteral("a payload is UTF-8 text of at most %1 bytes").arg(COMMAND_PAYLOAD_MAX_BYTES)));
        return;
    }
    static const QRegularExpression output(QStringLiteral("^output/([0-9]{1,3})/set$"));
    const QRegularExpressionMatch m = output.match(command.name);
    if (m.hasMatch()) {
        const int n = m.captured(1).toInt();
        QString error;
        const int input = ParseInput(command.payload, m_hub.Host(), error);
        if (n < 1 || n > OUTPUT_COUNT) {
            done(Outcome::Fail(
                Failure::NotFound,
                QStringLiteral("there is no output %1 (outputs are 1..%2)").arg(m.captured(1)).arg(OUTPUT_COUNT)));
        } else if (input < 0) {
            done(Malformed(error));
        } else {
            m_hub.Route(MQTT_WHO, n - 1, input, done);
        }
    } else if (command.name == QLatin1String("preset/apply")) {
        m_hub.ApplyPreset(MQTT_WHO, QString::fromUtf8(command.payload), done);
    } else if (command.name == QLatin1String("name/set")) {
        m_hub.SetName(MQTT_WHO, QString::fromUtf8(command.payload), done);
    } else {
        done(Outcome::Fail(Failure::NotFound, QStringLiteral("no such command")));
    }
}

void MqttFront::Answer(const Command& command, const Outcome& outcome) {
    if (!outcome.Ok())
        Log(QStringLiteral("MQTT %1 \"%2\": %3")
                .arg(command.name, QString::fromUtf8(command.payload.left(64)), outcome.message));
    m_client.Publish(m_names.Topic(QStringLiteral("result")), ResultPayload(command.name, command.payload, outcome),
                     false);
}

}  // namespace corvane::gateway::mqtt
