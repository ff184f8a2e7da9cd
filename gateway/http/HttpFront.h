#pragma once
// The HTTP front-end: the JSON API under /api/v1, the events WebSocket and
// the page at /. It turns requests into hub requests and the hub's outcomes
// into answers; a change is answered once the switcher confirmed it.
#include <QHostAddress>
#include <QHttpServer>
#include <QObject>
#include <functional>
#include <memory>

#include "gateway/hub/Hub.h"

namespace corvane::gateway {

class BoundedTcpServer;
class EventsSocket;

struct HttpOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 8080;
    QString token;                    // empty: changes need no token
    qint64 maxBodyBytes = 16 * 1024;  // a JSON body; the largest real one is a few hundred bytes
    qint64 maxHeaderBytes = 16 * 1024;
    int maxConnections = 128;
    int maxEventClients = 100;
};

class HttpFront : public QObject {
public:
    HttpFront(Hub& hub, HttpOptions options, QObject* parent = nullptr);
    ~HttpFront() override;
    // False with the reason when the address cannot be bound.
    bool Listen(QString& error);
    quint16 Port() const;
    std::function<void(const QString&)> onLog;

private:
    void AddRoutes();
    void Log(const QString& line) {
        if (onLog) onLog(line);
    }

    Hub& m_hub;
    HttpOptions m_options;
    QHttpServer m_server;
    BoundedTcpServer* m_pTcp = nullptr;  // owned by m_server once bound
    std::unique_ptr<EventsSocket> m_pEvents;
};

}  // namespace corvane::gateway
