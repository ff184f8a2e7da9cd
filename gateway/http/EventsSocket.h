#pragma once
// The WebSocket at /api/v1/events: the whole state when a client connects,
// then one message per change, each with the whole state, to every client.
// Clients send nothing; what they send is answered with an error message.
#include <QList>
#include <QObject>
#include <QWebSocket>
#include <functional>

#include "gateway/hub/Hub.h"

class QAbstractHttpServer;

namespace corvane::gateway {

constexpr const char* EVENTS_PATH = "/api/v1/events";

class EventsSocket : public QObject {
public:
    EventsSocket(Hub& hub, QAbstractHttpServer& server, int maxClients, QObject* parent = nullptr);
    ~EventsSocket() override;
    int Clients() const { return static_cast<int>(m_clients.size()); }
    std::function<void(const QString&)> onLog;

private:
    void TakeNew();
    void Admit(QWebSocket* socket);
    void Broadcast(Change what, const QString& who);
    void Drop(QWebSocket* socket);

    Hub& m_hub;
    QAbstractHttpServer& m_server;
    int m_nMaxClients;
    QList<QWebSocket*> m_clients;
};

}  // namespace corvane::gateway
