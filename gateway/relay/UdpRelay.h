#pragma once
// The switcher's own UDP protocol, relayed: clients (the window, corvane-cli
// --host) send their request datagrams to this socket as they would to a
// switcher, each request goes through the hub's queue, and the switcher's
// reply goes back to the address and port it came from; a search is a read
// of the name and is answered by the switcher like any read. The
// change-counter poll is answered from the hub's state, so many clients
// polling every second cost the switcher nothing.
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>
#include <functional>

#include "gateway/relay/RelayFrame.h"
#include "gateway/hub/Hub.h"

namespace corvane::gateway::relay {

// Requests in the hub's queue at once: per client, and for all relay
// clients together (half the hub's client share, so HTTP clients keep room).
constexpr int MAX_WAITING_PER_CLIENT = 4;
constexpr int MAX_WAITING_ALL = 16;

class UdpRelay : public QObject {
    Q_OBJECT
public:
    explicit UdpRelay(Hub& hub, QObject* parent = nullptr);

    // Binds address:port (RELAY_PORT outside tests); false with a reason.
    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    QString LocalName() const;
    quint16 Port() const { return m_socket.localPort(); }

    std::function<void(const QString&)> onLog;

private:
    void OnReadyRead();
    void ReadOne();
    void Handle(const QByteArray& datagram, const QHostAddress& from, quint16 port);
    bool AnswerCounter(const Request& request, const QHostAddress& to, quint16 port);
    void Forward(const std::string& frame, bool write, const QHostAddress& to, quint16 port);
    void Send(const std::string& reply, const QHostAddress& to, quint16 port);
    void Drop(const QString& peer, const QString& reason);
    void Log(const QString& line) {
        if (onLog) onLog(line);
    }

    Hub& m_hub;
    QUdpSocket m_socket;
    uint16_t m_nCounter = 0;        // moves with every change of the switcher's state
    QHash<QString, int> m_waiting;  // requests in the queue, by client
    int m_nWaiting = 0;
    QElapsedTimer m_logWindow;  // drops are logged a few a second, the rest counted
    int m_nLoggedInWindow = 0;
    int m_nUnlogged = 0;
};

}  // namespace corvane::gateway::relay
