#pragma once
// Debian's mosquitto broker as a child process on 127.0.0.1 with a port of
// its own, and an MQTT client for the tests over libmosquitto (its own
// network thread; what it hears is collected under a lock and read by the
// test's thread while it waits).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <map>
#include <mosquitto.h>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include "tests/support/Wait.h"

struct BrokerTls {
    QString caFile, certFile, keyFile, passwordFile;
};

class MqttBroker {
public:
    ~MqttBroker() { Stop(); }

    // A port the system just gave out, then the broker on it.
    bool Start(const BrokerTls& tls = {}) {
        if (m_nPort == 0) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0)) return false;
            m_nPort = probe.serverPort();
        }
        m_tls = tls;
        return Restart();
    }
    // Again on the same port (the retained messages are gone: no persistence).
    bool Restart() {
        // Started by root, mosquitto would become another user that cannot
        // read the test's files; it stays the user running the tests.
        const passwd* pw = ::getpwuid(::getuid());
        QString conf = QStringLiteral("listener %1 127.0.0.1\npersistence false\nset_tcp_nodelay true\n").arg(m_nPort);
        if (pw) conf += QStringLiteral("user %1\n").arg(QString::fromLocal8Bit(pw->pw_name));
        if (m_tls.passwordFile.isEmpty()) {
            conf += QStringLiteral("allow_anonymous true\n");
        } else {
            conf += QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(m_tls.passwordFile);
        }
        if (!m_tls.caFile.isEmpty()) {
            conf +=
                QStringLiteral("cafile %1\ncertfile %2\nkeyfile %3\n").arg(m_tls.caFile, m_tls.certFile, m_tls.keyFile);
        }
        QFile file(m_dir.filePath(QStringLiteral("mosquitto.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(conf.toUtf8()) < 0) return false;
        file.close();
        m_proc.setProgram(QStringLiteral("/usr/sbin/mosquitto"));
        m_proc.setArguments({QStringLiteral("-c"), file.fileName()});
        // Into a file: a pipe nobody reads would stall the broker.
        m_proc.setProcessChannelMode(QProcess::MergedChannels);
        m_proc.setStandardOutputFile(m_dir.filePath(QStringLiteral("broker.log")), QIODevice::Append);
        m_proc.start();
        if (!m_proc.waitForStarted(5000)) return false;
        return WaitUntil(
            [&] {
                QTcpSocket s;
                s.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), m_nPort);
                return s.waitForConnected(200);
            },
            10000);
    }
    void Stop() {
        if (m_proc.state() == QProcess::NotRunning) return;
        m_proc.terminate();
        if (!m_proc.waitForFinished(5000)) {
            m_proc.kill();
            m_proc.waitForFinished(2000);
        }
    }
    int Port() const { return m_nPort; }
    QString Url(const QString& scheme = QStringLiteral("mqtt")) const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(m_nPort);
    }
    QString Dir() const { return m_dir.path(); }
    QByteArray Log() const {
        QFile f(m_dir.filePath(QStringLiteral("broker.log")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QProcess m_proc;
    int m_nPort = 0;
    BrokerTls m_tls;
};

struct MqttMessage {
    QString topic;
    QByteArray payload;
    bool retained = false;
};

class TestMqttClient {
public:
    explicit TestMqttClient(const MqttBroker& broker, const QStringList& filters = {}) {
        mosquitto_lib_init();
        m_pMosq = mosquitto_new(nullptr, true, this);
        mosquitto_int_option(m_pMosq, MOSQ_OPT_TCP_NODELAY, 1);
        mosquitto_connect_callback_set(m_pMosq, [](mosquitto*, void* p, int rc) {
            auto* self = static_cast<TestMqttClient*>(p);
            std::lock_guard lock(self->m_mutex);
            self->m_bConnected = rc == 0;
            for (const QByteArray& f : self->m_filters) mosquitto_subscribe(self->m_pMosq, nullptr, f.constData(), 1);
        });
        mosquitto_subscribe_callback_set(m_pMosq, [](mosquitto*, void* p, int, int, const int*) {
            auto* self = static_cast<TestMqttClient*>(p);
            std::lock_guard lock(self->m_mutex);
            ++self->m_nSubAcks;
        });
        mosquitto_message_callback_set(m_pMosq, [](mosquitto*, void* p, const mosquitto_message* m) {
            auto* self = static_cast<TestMqttClient*>(p);
            std::lock_guard lock(self->m_mutex);
            MqttMessage msg{QString::fromUtf8(m->topic),
                            QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain};
            self->m_last[msg.topic] = msg.payload;
            self->m_messages.push_back(std::move(msg));
        });
        for (const QString& f : filters) m_filters.push_back(f.toUtf8());
        mosquitto_connect_async(m_pMosq, "127.0.0.1", broker.Port(), 30);
        mosquitto_loop_start(m_pMosq);
    }
    ~TestMqttClient() {
        mosquitto_disconnect(m_pMosq);
        mosquitto_loop_stop(m_pMosq, false);
        mosquitto_destroy(m_pMosq);
    }
    // Connected and every filter acknowledged.
    bool WaitReady(int nMaxMs = 10000) {
        return WaitUntil(
            [&] {
                std::lock_guard lock(m_mutex);
                return m_bConnected && m_nSubAcks >= int(m_filters.size());
            },
            nMaxMs);
    }
    bool Publish(const QString& topic, const QByteArray& payload, bool retain = false) {
        return mosquitto_publish(m_pMosq, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(),
                                 1, retain) == MOSQ_ERR_SUCCESS;
    }
    // The last payload on topic (a null array when none came).
    QByteArray Last(const QString& topic) {
        std::lock_guard lock(m_mutex);
        const auto it = m_last.find(topic);
        return it == m_last.end() ? QByteArray() : it->second;
    }
    bool Has(const QString& topic) {
        std::lock_guard lock(m_mutex);
        return m_last.count(topic) > 0;
    }
    bool WaitFor(const QString& topic, const QByteArray& payload, int nMaxMs = 20000) {
        return WaitUntil([&] { return Has(topic) && Last(topic) == payload; }, nMaxMs);
    }
    std::vector<MqttMessage> Messages() {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    // Messages on topic, in order.
    std::vector<MqttMessage> On(const QString& topic) {
        std::vector<MqttMessage> out;
        for (const MqttMessage& m : Messages())
            if (m.topic == topic) out.push_back(m);
        return out;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_messages.clear();
        m_last.clear();
    }

private:
    mosquitto* m_pMosq = nullptr;
    std::mutex m_mutex;
    std::vector<QByteArray> m_filters;
    bool m_bConnected = false;
    int m_nSubAcks = 0;
    std::vector<MqttMessage> m_messages;
    std::map<QString, QByteArray> m_last;
};
