#include "gateway/mqtt/Payloads.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "gateway/hub/MacText.h"

namespace corvane::gateway::mqtt {
namespace {

constexpr int PAYLOAD_MAX_BYTES = 256;
const QString MODEL = QStringLiteral("4x4 HDMI matrix switcher");

QByteArray Compact(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

QJsonObject Device(const Names& names, const Hub& hub, const QString& version) {
    const QString name =
        hub.Switcher().name.isEmpty() ? QStringLiteral("Corvane %1").arg(names.id) : hub.Switcher().name;
    QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{QStringLiteral("corvane_%1").arg(names.id)}},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("model"), MODEL},
                       {QStringLiteral("manufacturer"), QStringLiteral("Corvane")},
                       {QStringLiteral("sw_version"), version}};
    if (!MacId(hub.Switcher().net).isEmpty()) {
        device.insert(QStringLiteral("connections"),
                      QJsonArray{QJsonArray{QStringLiteral("mac"), MacText(hub.Switcher().net.mac)}});
    }
    return device;
}

// Every entity but the connectivity sensor is unavailable with the switcher.
QJsonObject Common(const Names& names, const QJsonObject& device, const QString& objectId) {
    return QJsonObject{{QStringLiteral("unique_id"), objectId},
                       {QStringLiteral("object_id"), objectId},
                       {QStringLiteral("device"), device},
                       {QStringLiteral("availability_topic"), names.Topic(QStringLiteral("availability"))},
                       {QStringLiteral("payload_available"), QStringLiteral("online")},
                       {QStringLiteral("payload_not_available"), QStringLiteral("offline")}};
}

// The input number on output/<n> shown as its label.
QString LabelTemplate(const HostState& host) {
    const QByteArray list = QJsonDocument(TextsJson(host.inputLabels.data(), INPUT_COUNT)).toJson(QJsonDocument::Compact);
    return QStringLiteral("{% set labels = %1 %}{{ labels[(value | int) - 1] }}").arg(QString::fromUtf8(list));
}

}  // namespace

QString Names::Base() const { return QStringLiteral("%1/%2").arg(QLatin1String(TOPIC_ROOT), id); }

QString Names::Config(const QString& component, const QString& object) const {
    return QStringLiteral("%1/%2/%3/config").arg(prefix, component, object);
}

QString MacId(const NetValue& net) {
    if (net.mac == std::array<uint8_t, 6>{}) return {};
    return MacText(net.mac).remove(QLatin1Char(':'));
}

QByteArray LabelsPayload(const HostState& host) {
    return Compact(LabelsJson(host));
}

QByteArray PresetsPayload(const HostState& host) {
    QJsonArray names;
    for (const auto& [name, routing] : host.presets) names.append(name);
    return QJsonDocument(names).toJson(QJsonDocument::Compact);
}

QByteArray ResultPayload(const QString& command, const QByteArray& payload, const Outcome& outcome) {
    return Compact(QJsonObject{{QStringLiteral("command"), command},
                               {QStringLiteral("payload"), QString::fromUtf8(payload.left(PAYLOAD_MAX_BYTES))},
                               {QStringLiteral("ok"), outcome.Ok()},
                               {QStringLiteral("error"), outcome.Ok() ? QJsonValue() : QJsonValue(outcome.message)}});
}

int ParseInput(const QByteArray& payload, const HostState& host, QString& error) {
    const QString text = QString::fromUtf8(payload).trimmed();
    for (int i = 0; i < INPUT_COUNT; ++i) {
        if (host.inputLabels[i] == text) return i;
    }
    bool bOk = false;
    const int n = text.toInt(&bOk);
    if (bOk && n >= 1 && n <= INPUT_COUNT) return n - 1;
    error = QStringLiteral("expected an input number 1..%1 or an input's label").arg(INPUT_COUNT);
    return -1;
}

QString PresetObjectId(const QString& id, const QString& preset) {
    QString object = QStringLiteral("%1_preset_").arg(id);
    for (char c : preset.toUtf8()) {
        const bool bPlain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        object += bPlain ? QString(QLatin1Char(c)) : QStringLiteral("_%1").arg(uint8_t(c), 2, 16, QLatin1Char('0'));
    }
    return object;
}

std::vector<DiscoveryItem> Discovery(const Names& names, const Hub& hub, const QString& version) {
    const HostState& host = hub.Host();
    const QJsonObject device = Device(names, hub, version);
    std::vector<DiscoveryItem> items;
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        const QString object = QStringLiteral("%1_output_%2").arg(names.id).arg(o + 1);
        QJsonObject c = Common(names, device, object);
        c.insert(QStringLiteral("name"), host.outputLabels[o]);
        c.insert(QStringLiteral("icon"), QStringLiteral("mdi:video-input-hdmi"));
        c.insert(QStringLiteral("options"), TextsJson(host.inputLabels.data(), INPUT_COUNT));
        c.insert(QStringLiteral("command_topic"), names.Topic(QStringLiteral("output/%1/set").arg(o + 1)));
        c.insert(QStringLiteral("state_topic"), names.Topic(QStringLiteral("output/%1").arg(o + 1)));
        c.insert(QStringLiteral("value_template"), LabelTemplate(host));
        c.insert(QStringLiteral("qos"), 1);
        items.push_back({names.Config(QStringLiteral("select"), object), Compact(c)});
    }
    for (const auto& [preset, routing] : host.presets) {
        const QString object = PresetObjectId(names.id, preset);
        QJsonObject c = Common(names, device, object);
        c.insert(QStringLiteral("name"), QStringLiteral("Preset %1").arg(preset));
        c.insert(QStringLiteral("command_topic"), names.Topic(QStringLiteral("preset/apply")));
        c.insert(QStringLiteral("payload_press"), preset);
        c.insert(QStringLiteral("qos"), 1);
        items.push_back({names.Config(QStringLiteral("button"), object), Compact(c)});
    }
    // The switcher's reachability itself: on while it answers, off while it
    // is absent or the gateway is gone (the last will).
    const QString object = QStringLiteral("%1_connectivity").arg(names.id);
    QJsonObject c{{QStringLiteral("unique_id"), object},
                  {QStringLiteral("object_id"), object},
                  {QStringLiteral("device"), device},
                  {QStringLiteral("name"), QStringLiteral("Connectivity")},
                  {QStringLiteral("device_class"), QStringLiteral("connectivity")},
                  {QStringLiteral("entity_category"), QStringLiteral("diagnostic")},
                  {QStringLiteral("state_topic"), names.Topic(QStringLiteral("availability"))},
                  {QStringLiteral("payload_on"), QStringLiteral("online")},
                  {QStringLiteral("payload_off"), QStringLiteral("offline")}};
    items.push_back({names.Config(QStringLiteral("binary_sensor"), object), Compact(c)});
    return items;
}

}  // namespace corvane::gateway::mqtt
