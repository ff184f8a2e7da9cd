#pragma once
// libmosquitto's C API driven by the Qt event loop of the gateway's one
// thread: the client's socket is watched with QSocketNotifiers (read
// always, write while the library has bytes queued), keepalive and retries
// run from a timer through mosquitto_loop_misc. Everything, the callbacks
// included, happens on the event-loop thread, so the hub needs no locks.
// A lost broker is tried again with a growing pause; the owner hears
// connected() each time and publishes its retained state again.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

struct mosquitto;
struct mosquitto_message;

namespace corvane::gateway::mqtt {

struct ClientOptions {
    QString clientId;
    QString host;
    int port = 1883;
    bool tls = false;
    QString caFile;
    QString user, password;
    QString willTopic;  // published retained with willPayload when the link dies
    QByteArray willPayload;
    int keepAliveS = 30;
    int reconnectMinMs = 500;
    int reconnectMaxMs = 30000;
};

class MqttClient : public QObject {
    Q_OBJECT
public:
    explicit MqttClient(QObject* parent = nullptr);
    ~MqttClient() override;

    // Sets the client up and starts connecting; false with a reason when
    // the options cannot be used (TLS files unreadable and the like).
    bool Start(const ClientOptions& options, QString& error);
    // Publishes lastWords retained on topic, waits (bounded) for the broker
    // to take it, then disconnects cleanly.
    void Stop(const QString& topic, const QByteArray& lastWords);
    bool IsConnected() const { return m_bConnected; }

    // False when not connected (the message is dropped: the state is
    // published whole again on the next connection).
    bool Publish(const QString& topic, const QByteArray& payload, bool retain, int qos = 1);
    bool Subscribe(const QString& filter, int qos = 1);

    std::function<void(const QString&)> onLog;

signals:
    void connected();
    void disconnected();
    void message(const QString& topic, const QByteArray& payload, bool retained);

private:
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* msg);
    static void OnPublish(mosquitto*, void* self, int mid);

    void Connect();
    void Watch();
    void Unwatch();
    void Read();
    void Write();
    void Misc();
    void UpdateWrite();
    void Lost(int rc);
    void Log(const QString& line) {
        if (onLog) onLog(line);
    }

    ClientOptions m_options;
    mosquitto* m_pMosq = nullptr;
    std::unique_ptr<QSocketNotifier> m_pRead, m_pWrite;
    QTimer m_miscTimer;
    QTimer m_reconnectTimer;
    int m_nReconnectMs = 0;
    bool m_bConnected = false;
    bool m_bFirstConnect = true;
    bool m_bStopping = false;
    int m_nPackets = 0;  // callbacks seen: whether a read round found anything
    int m_nWaitMid = -1;
    bool m_bMidDone = false;
    QString m_strLastError;  // said once until it changes
    QString m_strRefused;    // the broker's reason, for the loss that follows
};

}  // namespace corvane::gateway::mqtt
