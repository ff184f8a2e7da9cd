#include "gateway/http/BoundedTcpServer.h"

#include <memory>
#include <unistd.h>

namespace corvane::gateway {

int BoundedTcpServer::OpenConnections() {
    m_sockets.removeIf(
        [](const QPointer<QTcpSocket>& s) { return s.isNull() || s->state() == QAbstractSocket::UnconnectedState; });
    return static_cast<int>(m_sockets.size());
}

void BoundedTcpServer::incomingConnection(qintptr descriptor) {
    if (OpenConnections() >= m_nMaxConnections) {
        ::close(static_cast<int>(descriptor));
        if (onLog) onLog(QStringLiteral("connection refused: already %1 open").arg(m_nMaxConnections));
        return;
    }
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    Watch(socket);
    m_sockets.append(socket);
    if (onLog) {
        QString peer = socket->peerAddress().toString();
        if (peer.startsWith(QLatin1String("::ffff:"))) peer.remove(0, 7);
        peer += QStringLiteral(":%1").arg(socket->peerPort());
        onLog(QStringLiteral("http client %1 connected").arg(peer));
        connect(socket, &QTcpSocket::disconnected, this, [this, peer] {
            if (onLog) onLog(QStringLiteral("http client %1 gone").arg(peer));
        });
    }
    addPendingConnection(socket);
}

// Counts what arrives between two answers. Connected before the HTTP
// server's own reader, so it sees each chunk before the server takes it.
// A WebSocket upgrade takes the socket away from both (its own limits hold).
void BoundedTcpServer::Watch(QTcpSocket* socket) {
    auto pending = std::make_shared<qint64>(0);
    connect(socket, &QTcpSocket::bytesWritten, socket, [pending](qint64) { *pending = 0; });
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, pending] {
        *pending += socket->bytesAvailable();
        if (*pending <= m_nMaxRequestBytes) return;
        if (onLog) {
            onLog(QStringLiteral("request of more than %1 bytes from %2 cut off")
                      .arg(m_nMaxRequestBytes)
                      .arg(socket->peerAddress().toString()));
        }
        socket->abort();
    });
}

}  // namespace corvane::gateway
