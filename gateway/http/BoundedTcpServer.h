#pragma once
// The listening socket of the HTTP server with two bounds the HTTP server
// itself does not keep: how many connections are open at once (one more is
// closed at once), and how many bytes a connection may send before it gets
// an answer (a request larger than that is cut off: the HTTP server reads a
// whole request into memory before anyone sees it).
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

namespace corvane::gateway {

class BoundedTcpServer : public QTcpServer {
public:
    BoundedTcpServer(int maxConnections, qint64 maxRequestBytes, QObject* parent = nullptr)
        : QTcpServer(parent), m_nMaxConnections(maxConnections), m_nMaxRequestBytes(maxRequestBytes) {
        // Qt's defaults (a kernel backlog of 50, 30 connections waiting for
        // the HTTP server) are below the connection bound: a burst of
        // clients then waits for SYN retries of seconds instead of being
        // taken in, or told no, at once.
        setListenBacklogSize(maxConnections + 16);
        setMaxPendingConnections(maxConnections);
    }

    int OpenConnections();
    std::function<void(const QString&)> onLog;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void Watch(QTcpSocket* socket);

    int m_nMaxConnections;
    qint64 m_nMaxRequestBytes;
    QList<QPointer<QTcpSocket>> m_sockets;
};

}  // namespace corvane::gateway
