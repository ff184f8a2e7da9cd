#pragma once
// The MQTT front-end: the switcher's state as retained messages under
// corvane/<id>, commands taken from <id>'s .../set topics and answered on
// <id>/result, and Home Assistant discovery. Commands go to the hub one at
// a time in the order they came, so a burst is neither refused by the
// hub's queue limit nor reordered.
#include <QObject>
#include <deque>
#include <map>
#include <set>

#include "gateway/mqtt/MqttClient.h"
#include "gateway/mqtt/MqttSettings.h"
#include "gateway/mqtt/Payloads.h"
#include "gateway/hub/Hub.h"

namespace corvane::gateway::mqtt {

constexpr int COMMANDS_WAITING_MAX = 4096;
constexpr int COMMAND_PAYLOAD_MAX_BYTES = 256;
const QString MQTT_WHO = QStringLiteral("mqtt");

class MqttFront : public QObject {
public:
    MqttFront(Hub& hub, MqttSettings settings, QString password, QString version, QObject* parent = nullptr);

    // Connects now when the id is known, else once the switcher's MAC is.
    bool Start(QString& error);
    // "offline" retained, then a clean goodbye.
    void Stop();
    QString Id() const { return m_names.id; }

    std::function<void(const QString&)> onLog;

private:
    struct Command {
        QString name;  // the topic below the base: "output/2/set"
        QByteArray payload;
    };

    bool StartClient(QString& error);
    void OnChange(Change what);
    void OnConnected();
    void OnMessage(const QString& topic, const QByteArray& payload, bool retained);
    void OnRetainedButton(const QString& topic, const QByteArray& payload);
    void PublishAll();
    void PublishOutputs();
    void PublishDiscovery();
    void PublishRetained(const QString& topic, const QByteArray& payload);
    void Pump();
    void Run(const Command& command, const Completion& done);
    void Answer(const Command& command, const Outcome& outcome);
    void Log(const QString& line) {
        if (onLog) onLog(line);
    }

    Hub& m_hub;
    MqttSettings m_settings;
    QString m_strPassword;
    QString m_strVersion;
    Names m_names;
    MqttClient m_client;
    bool m_bStarted = false;
    std::map<QString, QByteArray> m_published;  // retained, on this connection
    std::set<QString> m_buttons;                // preset buttons' config topics
    std::deque<Command> m_waiting;
    bool m_bBusy = false;
    bool m_bPumping = false;
};

}  // namespace corvane::gateway::mqtt
