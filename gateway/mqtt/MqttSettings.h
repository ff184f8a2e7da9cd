#pragma once
// The MQTT front-end's settings, read from the same key = value settings as
// the rest of the gateway (mqtt, mqtt-ca, mqtt-id, mqtt-user,
// mqtt-password-file, discovery-prefix). No key given: no MQTT at all.
#include <QMap>
#include <QString>
#include <QStringList>

namespace corvane::gateway::mqtt {

constexpr int DEFAULT_MQTT_PORT = 1883;
constexpr int DEFAULT_MQTTS_PORT = 8883;
constexpr const char* DEFAULT_DISCOVERY_PREFIX = "homeassistant";
constexpr const char* TOPIC_ROOT = "corvane";

struct MqttSettings {
    bool enabled = false;
    QString host;
    int port = DEFAULT_MQTT_PORT;
    bool tls = false;
    QString caFile;  // empty with tls: the system's certificates
    QString id;      // empty: the switcher's MAC once it is known
    QString user;
    QString passwordFile;
    QString discoveryPrefix = QString::fromLatin1(DEFAULT_DISCOVERY_PREFIX);
};

// The keys above, for the gateway's list of known settings.
QStringList MqttKeys();
// Checks and takes the keys; false with a one-line reason.
bool ParseMqttSettings(const QMap<QString, QString>& settings, MqttSettings& out, QString& error);
// The first line of the password file; false with a one-line reason.
bool ReadPasswordFile(const QString& path, QString& password, QString& error);
// A topic level of letters, digits, '-' and '_' (no '/', '+', '#').
bool ValidTopicLevel(const QString& text);
QString MqttUsage();

}  // namespace corvane::gateway::mqtt
