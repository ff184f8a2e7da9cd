#pragma once
// The texts the MQTT front-end publishes: the retained state, the answers
// to commands and the Home Assistant discovery configurations. Pure
// functions of the hub's state, so that they are checked without a broker.
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <vector>

#include "gateway/mqtt/MqttSettings.h"
#include "gateway/hub/Hub.h"

namespace corvane::gateway::mqtt {

// Where the front-end publishes: corvane/<id> and <prefix>/<component>/<object>/config.
struct Names {
    QString id;
    QString prefix;  // discovery
    QString Base() const;
    QString Topic(const QString& suffix) const { return Base() + QLatin1Char('/') + suffix; }
    QString Config(const QString& component, const QString& object) const;
};

// The MAC as 12 lower-case hex digits; empty when it is all zeros.
QString MacId(const NetValue& net);

QByteArray LabelsPayload(const HostState& host);
QByteArray PresetsPayload(const HostState& host);
QByteArray ResultPayload(const QString& command, const QByteArray& payload, const Outcome& outcome);

// An output's set command: an input label (matched first, since Home
// Assistant sends labels) or an input number 1..4; -1 with error otherwise.
int ParseInput(const QByteArray& payload, const HostState& host, QString& error);

// The object id of a preset's button: the name with every byte but
// letters and digits written as _xx, so that distinct names stay distinct.
QString PresetObjectId(const QString& id, const QString& preset);

struct DiscoveryItem {
    QString topic;
    QByteArray payload;
};
// Every discovery configuration for the switcher as it is now: a select per
// output, a button per preset, the connectivity sensor.
std::vector<DiscoveryItem> Discovery(const Names& names, const Hub& hub, const QString& version);

}  // namespace corvane::gateway::mqtt
