#pragma once
// The router-protocol front-end: a TCP listener (loopback only unless
// configured) whose clients see the switcher as a 4x4 router
// with ports counted from 0. Each connection is one client for locks. Every
// change, whoever made it, goes to every client as the lines that changed.
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <functional>
#include <vector>

#include "gateway/router/RouterClient.h"
#include "gateway/hub/Hub.h"

namespace corvane::gateway::router {

struct RouterOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 0;  // 0: the system chooses
    int maxClients = 64;
    ClientLimits limits;
};

class RouterServer : public QObject {
public:
    RouterServer(Hub& hub, RouterOptions options, QObject* parent = nullptr);
    ~RouterServer() override;
    // False with the reason when the address cannot be bound.
    bool Listen(QString& error);
    quint16 Port() const { return m_server.serverPort(); }
    int ClientCount() const { return static_cast<int>(m_clients.size()); }
    // Locks held by router clients of an earlier run: nobody can hold them
    // any more, so they are freed (call once the hub has its state).
    void FreeStaleLocks();
    std::function<void(const QString&)> onLog;

private:
    // What the clients were last told, to send only what changed.
    struct Told {
        bool present = false;
        bool known = false;
        QString name;
        Routing routing{};
        HostState host;
    };

    void OnConnection();
    void OnGone(RouterClient* client);
    void OnChanged();
    void SendChanges();
    Told Now() const;
    void Log(const QString& line) {
        if (onLog) onLog(line);
    }

    Hub& m_hub;
    RouterOptions m_options;
    QTcpServer m_server;
    QString m_uniqueId;
    std::vector<RouterClient*> m_clients;
    Told m_told;
    bool m_bChangesQueued = false;
};

}  // namespace corvane::gateway::router
