#include "gateway/http/EventsSocket.h"

#include <QAbstractHttpServer>
#include <QJsonDocument>

#include "gateway/http/RequestGuard.h"
#include "gateway/http/StateJson.h"

namespace corvane::gateway {
namespace {

// Clients send nothing that matters; a large message is refused by the
// socket itself before it is kept.
constexpr qint64 MAX_INCOMING_MESSAGE = 4096;
// A client that does not read what it is sent is dropped before its unsent
// messages grow without end; every message carries the whole state, so on
// reconnecting it has everything again.
constexpr qint64 MAX_UNSENT_BYTES = 1024 * 1024;

QString Peer(const QWebSocket* s) {
    QString address = s->peerAddress().toString();
    if (address.startsWith(QLatin1String("::ffff:"))) address.remove(0, 7);
    return QStringLiteral("%1:%2").arg(address).arg(s->peerPort());
}

QString Message(const QJsonObject& o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)); }

}  // namespace

EventsSocket::EventsSocket(Hub& hub, QAbstractHttpServer& server, int maxClients, QObject* parent)
    : QObject(parent), m_hub(hub), m_server(server), m_nMaxClients(maxClients) {
    connect(&server, &QAbstractHttpServer::newWebSocketConnection, this, &EventsSocket::TakeNew);
    connect(&hub, &Hub::changed, this, &EventsSocket::Broadcast);
}

EventsSocket::~EventsSocket() {
    for (QWebSocket* s : m_clients) {
        s->disconnect(this);
        s->deleteLater();
    }
}

void EventsSocket::TakeNew() {
    while (m_server.hasPendingWebSocketConnections()) Admit(m_server.nextPendingWebSocketConnection().release());
}

// The HTTP server of Qt 6.4 completes every WebSocket handshake before we
// see it; a socket on another path, from another site's page or beyond the
// limit is closed at once with the reason.
void EventsSocket::Admit(QWebSocket* socket) {
    if (!socket) return;
    socket->setParent(this);
    QString refusal;
    if (socket->requestUrl().path() != QLatin1String(EVENTS_PATH)) {
        refusal = QStringLiteral("no events here; use %1").arg(EVENTS_PATH);
    } else if (!SameOrigin(socket->origin().toLatin1(), socket->requestUrl())) {
        refusal = QStringLiteral("requests from another site are refused");
    } else if (m_clients.size() >= m_nMaxClients) {
        refusal = QStringLiteral("already %1 event clients").arg(m_nMaxClients);
    }
    if (!refusal.isEmpty()) {
        if (onLog) onLog(QStringLiteral("events client %1 refused: %2").arg(Peer(socket), refusal));
        connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        socket->close(QWebSocketProtocol::CloseCodePolicyViolated, refusal);
        return;
    }
    socket->setMaxAllowedIncomingMessageSize(MAX_INCOMING_MESSAGE);
    socket->setMaxAllowedIncomingFrameSize(MAX_INCOMING_MESSAGE);
    m_clients.append(socket);
    const QString peer = Peer(socket);
    if (onLog) onLog(QStringLiteral("events client %1 connected").arg(peer));
    connect(socket, &QWebSocket::disconnected, this, [this, socket, peer] {
        if (onLog) onLog(QStringLiteral("events client %1 gone").arg(peer));
        Drop(socket);
    });
    auto refuseInput = [socket](const auto&) {
        socket->sendTextMessage(
            Message({{QStringLiteral("type"), QStringLiteral("error")},
                     {QStringLiteral("error"), QStringLiteral("this socket only sends events; "
                                                              "changes go through the HTTP API")}}));
    };
    connect(socket, &QWebSocket::textMessageReceived, socket, refuseInput);
    connect(socket, &QWebSocket::binaryMessageReceived, socket, refuseInput);
    socket->sendTextMessage(
        Message({{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("state"), StateJson(m_hub)}}));
}

void EventsSocket::Broadcast(Change what, const QString& who) {
    const QString text = Message({{QStringLiteral("type"), QStringLiteral("change")},
                                  {QStringLiteral("what"), ChangeName(what)},
                                  {QStringLiteral("by"), who},
                                  {QStringLiteral("state"), StateJson(m_hub)}});
    const QList<QWebSocket*> clients = m_clients;
    for (QWebSocket* s : clients) {
        if (s->bytesToWrite() > MAX_UNSENT_BYTES) {
            if (onLog) onLog(QStringLiteral("events client %1 dropped: it does not read its messages").arg(Peer(s)));
            s->abort();
            if (m_clients.contains(s)) Drop(s);
            continue;
        }
        s->sendTextMessage(text);
    }
}

void EventsSocket::Drop(QWebSocket* socket) {
    m_clients.removeAll(socket);
    socket->deleteLater();
}

}  // namespace corvane::gateway
