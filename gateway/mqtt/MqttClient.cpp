#include "gateway/mqtt/MqttClient.h"

#include <QElapsedTimer>
#include <QThread>
#include <mosquitto.h>
#include <poll.h>

namespace corvane::gateway::mqtt {
namespace {

constexpr int MISC_INTERVAL_MS = 500;
constexpr int STOP_WAIT_MS = 2000;
// Reads per socket notice: TLS may hold whole packets in its own buffer
// where the socket shows nothing more, so reading goes on while packets come.
constexpr int MAX_READ_ROUNDS = 1000;

MqttClient* Self(void* p) { return static_cast<MqttClient*>(p); }

QString Reason(int rc) {
    if (rc == MOSQ_ERR_ERRNO) return QString::fromLocal8Bit(strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

struct LibInit {
    LibInit() { mosquitto_lib_init(); }
};

}  // namespace

MqttClient::MqttClient(QObject* parent) : QObject(parent) {
    static LibInit init;
    m_miscTimer.setInterval(MISC_INTERVAL_MS);
    m_miscTimer.callOnTimeout(this, &MqttClient::Misc);
    m_reconnectTimer.setSingleShot(true);
    m_reconnectTimer.callOnTimeout(this, &MqttClient::Connect);
}

MqttClient::~MqttClient() {
    Unwatch();
    if (m_pMosq) mosquitto_destroy(m_pMosq);
}

bool MqttClient::Start(const ClientOptions& options, QString& error) {
    m_options = options;
    m_nReconnectMs = options.reconnectMinMs;
    m_pMosq = mosquitto_new(options.clientId.toUtf8().constData(), true, this);
    if (!m_pMosq) {
        error = QStringLiteral("cannot make an MQTT client");
        return false;
    }
    mosquitto_int_option(m_pMosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // Small packets at once: Nagle's wait for the peer's delayed
    // acknowledgement would add some 40 ms to an answer.
    mosquitto_int_option(m_pMosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_pMosq, &MqttClient::OnConnect);
    mosquitto_disconnect_callback_set(m_pMosq, &MqttClient::OnDisconnect);
    mosquitto_message_callback_set(m_pMosq, &MqttClient::OnMessage);
    mosquitto_publish_callback_set(m_pMosq, &MqttClient::OnPublish);
    // Messages waiting for the broker's acknowledgement: enough for a burst
    // of answers without holding them back one by one.
    mosquitto_max_inflight_messages_set(m_pMosq, 100);
    int rc = MOSQ_ERR_SUCCESS;
    if (!options.willTopic.isEmpty()) {
        rc = mosquitto_will_set(m_pMosq, options.willTopic.toUtf8().constData(), int(options.willPayload.size()),
                                options.willPayload.constData(), 1, true);
    }
    if (rc == MOSQ_ERR_SUCCESS && !options.user.isEmpty()) {
        rc = mosquitto_username_pw_set(m_pMosq, options.user.toUtf8().constData(),
                                       options.password.isEmpty() ? nullptr : options.password.toUtf8().constData());
    }
    if (rc == MOSQ_ERR_SUCCESS && options.tls) {
        const QByteArray ca = options.caFile.toLocal8Bit();
        rc = mosquitto_tls_set(m_pMosq, ca.isEmpty() ? nullptr : ca.constData(),
                               ca.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        error = QStringLiteral("MQTT: %1").arg(Reason(rc));
        return false;
    }
    m_miscTimer.start();
    Connect();
    return true;
}

void MqttClient::Connect() {
    if (m_bStopping) return;
    Unwatch();
    // Names are resolved here (blocking); the TCP connect and the TLS
    // handshake go on in the event loop.
    const int rc = m_bFirstConnect ? mosquitto_connect_async(m_pMosq, m_options.host.toUtf8().constData(),
                                                             m_options.port, m_options.keepAliveS)
                                   : mosquitto_reconnect_async(m_pMosq);
    if (rc != MOSQ_ERR_SUCCESS) {
        // The first attempt set host and port; later ones reuse them.
        if (rc != MOSQ_ERR_INVAL) m_bFirstConnect = false;
        Lost(rc);
        return;
    }
    m_bFirstConnect = false;
    Watch();
}

void MqttClient::Watch() {
    const int fd = mosquitto_socket(m_pMosq);
    if (fd < 0) return;
    m_pRead = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_pRead.get(), &QSocketNotifier::activated, this, [this] { Read(); });
    m_pWrite = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(m_pWrite.get(), &QSocketNotifier::activated, this, [this] { Write(); });
    UpdateWrite();
}

// Later: this may run inside a notifier's own signal.
void MqttClient::Unwatch() {
    for (QSocketNotifier* p : {m_pRead.release(), m_pWrite.release()}) {
        if (!p) continue;
        p->setEnabled(false);
        p->deleteLater();
    }
}

void MqttClient::Read() {
    for (int n = 0; n < MAX_READ_ROUNDS; ++n) {
        const int nBefore = m_nPackets;
        const int rc = mosquitto_loop_read(m_pMosq, 1);
        if (rc != MOSQ_ERR_SUCCESS) {
            Lost(rc);
            return;
        }
        if (!m_pMosq || m_nPackets == nBefore || mosquitto_socket(m_pMosq) < 0) break;
    }
    UpdateWrite();
}

void MqttClient::Write() {
    const int rc = mosquitto_loop_write(m_pMosq, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
        Lost(rc);
        return;
    }
    UpdateWrite();
}

void MqttClient::Misc() {
    if (!m_pRead) return;
    const int rc = mosquitto_loop_misc(m_pMosq);
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
        Lost(rc);
        return;
    }
    if (mosquitto_socket(m_pMosq) < 0) {
        Lost(MOSQ_ERR_CONN_LOST);
        return;
    }
    UpdateWrite();
}

void MqttClient::UpdateWrite() {
    if (m_pWrite) m_pWrite->setEnabled(mosquitto_want_write(m_pMosq));
}

void MqttClient::Lost(int rc) {
    Unwatch();
    const bool bWas = m_bConnected;
    m_bConnected = false;
    if (m_bStopping) return;
    const QString reason = m_strRefused.isEmpty() ? Reason(rc) : m_strRefused;
    m_strRefused.clear();
    if (bWas || reason != m_strLastError)
        Log(QStringLiteral("MQTT broker %1:%2 lost: %3; trying again")
                .arg(m_options.host)
                .arg(m_options.port)
                .arg(reason));
    m_strLastError = reason;
    if (bWas) emit disconnected();
    m_reconnectTimer.start(m_nReconnectMs);
    m_nReconnectMs = std::min(m_nReconnectMs * 2, m_options.reconnectMaxMs);
}

bool MqttClient::Publish(const QString& topic, const QByteArray& payload, bool retain, int qos) {
    if (!m_bConnected) return false;
    const int rc = mosquitto_publish(m_pMosq, nullptr, topic.toUtf8().constData(), int(payload.size()),
                                     payload.constData(), qos, retain);
    UpdateWrite();
    return rc == MOSQ_ERR_SUCCESS;
}

bool MqttClient::Subscribe(const QString& filter, int qos) {
    if (!m_bConnected) return false;
    const int rc = mosquitto_subscribe(m_pMosq, nullptr, filter.toUtf8().constData(), qos);
    UpdateWrite();
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::Stop(const QString& topic, const QByteArray& lastWords) {
    m_reconnectTimer.stop();
    m_miscTimer.stop();
    if (m_bConnected && !topic.isEmpty()) {
        m_bMidDone = false;
        if (mosquitto_publish(m_pMosq, &m_nWaitMid, topic.toUtf8().constData(), int(lastWords.size()),
                              lastWords.constData(), 1, true) == MOSQ_ERR_SUCCESS) {
            // Driven by hand: the event loop is ending.
            QElapsedTimer clock;
            clock.start();
            while (!m_bMidDone && m_bConnected && clock.elapsed() < STOP_WAIT_MS) {
                pollfd p{mosquitto_socket(m_pMosq), short(POLLIN | (mosquitto_want_write(m_pMosq) ? POLLOUT : 0)), 0};
                if (p.fd < 0 || ::poll(&p, 1, 50) < 0) break;
                if ((p.revents & POLLOUT) && mosquitto_loop_write(m_pMosq, 1) != MOSQ_ERR_SUCCESS) break;
                if ((p.revents & POLLIN) && mosquitto_loop_read(m_pMosq, 1) != MOSQ_ERR_SUCCESS) break;
            }
        }
    }
    m_bStopping = true;
    if (m_bConnected) {
        mosquitto_disconnect(m_pMosq);
        mosquitto_loop_write(m_pMosq, 1);
    }
    m_bConnected = false;
    Unwatch();
}

// ------------------------------------------------ the library's callbacks

void MqttClient::OnConnect(mosquitto*, void* p, int rc) {
    MqttClient* self = Self(p);
    ++self->m_nPackets;
    if (rc != 0) {
        // Refused (a wrong password, say): the library closes the link and
        // the read that delivered this reports the loss with this reason.
        self->m_strRefused =
            QStringLiteral("refused the connection: %1").arg(QString::fromUtf8(mosquitto_connack_string(rc)));
        return;
    }
    self->m_bConnected = true;
    self->m_nReconnectMs = self->m_options.reconnectMinMs;
    self->m_strLastError.clear();
    self->Log(QStringLiteral("MQTT broker %1:%2 connected").arg(self->m_options.host).arg(self->m_options.port));
    emit self->connected();
}

void MqttClient::OnDisconnect(mosquitto*, void* p, int) { ++Self(p)->m_nPackets; }

void MqttClient::OnMessage(mosquitto*, void* p, const mosquitto_message* msg) {
    MqttClient* self = Self(p);
    ++self->m_nPackets;
    emit self->message(QString::fromUtf8(msg->topic),
                       QByteArray(static_cast<const char*>(msg->payload), msg->payloadlen), msg->retain);
}

void MqttClient::OnPublish(mosquitto*, void* p, int mid) {
    MqttClient* self = Self(p);
    ++self->m_nPackets;
    if (mid == self->m_nWaitMid) self->m_bMidDone = true;
}

}  // namespace corvane::gateway::mqtt
