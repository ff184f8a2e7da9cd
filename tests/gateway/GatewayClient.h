#pragma once
// corvane-gateway as a child process, and real clients for it: HTTP
// through QNetworkAccessManager and the events socket through QWebSocket.
// Every address is on 127.0.0.0/8; the HTTP port is chosen by the system
// and read from the gateway's start line.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QWebSocket>
#include <csignal>
#include <memory>

#include "tests/support/LoopbackPeers.h"
#include "tests/support/Wait.h"

struct HttpAnswer {
    int status = 0;  // 0: no answer (connection refused or cut)
    QJsonObject json;
    QString Code() const { return json[QStringLiteral("error")].toObject()[QStringLiteral("code")].toString(); }
};

class GatewayProcess {
public:
    ~GatewayProcess() { Stop(); }

    // Starts the gateway and waits for its start line.
    bool Start(const QStringList& args) {
        m_proc.setProgram(QStringLiteral(CORVANE_GATEWAY_PATH));
        m_proc.setArguments(QStringList{"--http", Address() + ":0"} + args);
        // The router-protocol listener on a port of the system's choosing too.
        m_proc.setArguments(QStringList{"--videohub", Address() + ":0"} + m_proc.arguments());
        m_proc.setProcessChannelMode(QProcess::SeparateChannels);
        m_log.clear();
        m_proc.start();
        if (!m_proc.waitForStarted(10000)) return false;
        static const QRegularExpression started(QStringLiteral("HTTP on [0-9.]+:(\\d+)"));
        // A gateway that refuses to start ends at once; no need to wait it out.
        WaitUntil([&] { return Log().contains("started") || m_proc.state() == QProcess::NotRunning; }, 20000);
        if (!Log().contains("started")) return false;
        m_nPort = started.match(QString::fromUtf8(m_log)).captured(1).toInt();
        return m_nPort > 0;
    }
    // SIGTERM and the exit status (-1 when it had to be killed).
    int Stop() {
        if (m_proc.state() == QProcess::NotRunning)
            return m_proc.exitStatus() == QProcess::NormalExit ? m_proc.exitCode() : -1;
        ::kill(static_cast<pid_t>(m_proc.processId()), SIGTERM);
        if (!m_proc.waitForFinished(10000)) {
            m_proc.kill();
            m_proc.waitForFinished(3000);
            return -1;
        }
        Log();
        return m_proc.exitStatus() == QProcess::NormalExit ? m_proc.exitCode() : -1;
    }
    // Everything it logged so far.
    QByteArray Log() {
        m_log += m_proc.readAllStandardError();
        return m_log;
    }
    bool WaitForLog(const QString& text, int nMaxMs = 20000) {
        return WaitUntil([&] { return Log().contains(text.toUtf8()); }, nMaxMs);
    }
    static QString Address() { return QHostAddress(LoopbackIp(40)).toString(); }
    QString Base() const { return QStringLiteral("http://%1:%2").arg(Address()).arg(m_nPort); }
    int Port() const { return m_nPort; }
    QProcess& Process() { return m_proc; }

private:
    QProcess m_proc;
    QByteArray m_log;
    int m_nPort = 0;
};

// One HTTP client: a name for locks, optional token and Origin.
class ApiClient {
public:
    explicit ApiClient(const GatewayProcess& gw, QByteArray name = {}) : m_gw(gw), m_name(std::move(name)) {}
    QByteArray token;
    QByteArray origin;

    HttpAnswer Get(const QString& path) { return Send("GET", path, {}); }
    HttpAnswer Put(const QString& path, const QByteArray& body = "{}") { return Send("PUT", path, body); }
    HttpAnswer Post(const QString& path) { return Send("POST", path, "{}"); }
    HttpAnswer Delete(const QString& path) { return Send("DELETE", path, {}); }

    // Sends without waiting; the answer is collected by Wait.
    QNetworkReply* Start(const QByteArray& verb, const QString& path, const QByteArray& body) {
        QNetworkRequest req(QUrl(m_gw.Base() + path));
        req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        if (!m_name.isEmpty()) req.setRawHeader("X-Corvane-Client", m_name);
        if (!token.isEmpty()) req.setRawHeader("Authorization", "Bearer " + token);
        if (!origin.isEmpty()) req.setRawHeader("Origin", origin);
        return m_nam.sendCustomRequest(req, verb, body);
    }
    static HttpAnswer Wait(QNetworkReply* reply, int nMaxMs = 30000) {
        WaitUntil([reply] { return reply->isFinished(); }, nMaxMs);
        HttpAnswer a;
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.json = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        return a;
    }
    HttpAnswer Send(const QByteArray& verb, const QString& path, const QByteArray& body) {
        return Wait(Start(verb, path, body));
    }

private:
    const GatewayProcess& m_gw;
    QByteArray m_name;
    QNetworkAccessManager m_nam;
};

// The events socket, with every message it received.
class EventsClient {
public:
    explicit EventsClient(const GatewayProcess& gw, const QString& path = QStringLiteral("/api/v1/events"),
                          const QString& origin = {}) {
        QObject::connect(&m_ws, &QWebSocket::textMessageReceived, [this](const QString& text) {
            messages.append(QJsonDocument::fromJson(text.toUtf8()).object());
        });
        QObject::connect(&m_ws, &QWebSocket::disconnected, [this] {
            closed = true;
            closeReason = m_ws.closeReason();
        });
        QNetworkRequest req(
            QUrl(QStringLiteral("ws://%1:%2%3").arg(GatewayProcess::Address()).arg(gw.Port()).arg(path)));
        if (!origin.isEmpty()) req.setRawHeader("Origin", origin.toUtf8());
        m_ws.open(req);
    }
    // Waits for a change message naming what, after message nFrom.
    bool WaitForChange(const QString& what, qsizetype nFrom = 0, int nMaxMs = 20000) {
        return WaitUntil([&] { return FindChange(what, nFrom) >= 0; }, nMaxMs);
    }
    qsizetype FindChange(const QString& what, qsizetype nFrom = 0) const {
        for (qsizetype i = nFrom; i < messages.size(); ++i) {
            if (messages[i][QStringLiteral("what")].toString() == what) return i;
        }
        return -1;
    }
    QJsonObject LastState() const {
        return messages.isEmpty() ? QJsonObject() : messages.last()[QStringLiteral("state")].toObject();
    }
    QWebSocket& Socket() { return m_ws; }

    QList<QJsonObject> messages;
    bool closed = false;
    QString closeReason;

private:
    QWebSocket m_ws;
};

inline QJsonArray Routing(const HttpAnswer& a) { return a.json[QStringLiteral("routing")].toArray(); }
