#pragma once
// One TCP client of the router protocol. It cuts what arrives into blocks
// (bounded in line length, lines and how many wait), handles them one at a
// time in order, and answers each with ACK or NAK. Changes the hub reports
// while a block of this client is being handled are held back and sent
// after its ACK, so the client sees the answer before the change it caused.
#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <deque>
#include <string>

#include "gateway/router/RouterBlock.h"
#include "gateway/hub/Hub.h"

namespace corvane::gateway::router {

struct ClientLimits {
    int maxWaitingBlocks = 16;           // more and the client is cut off
    qint64 maxUnsentBytes = 256 * 1024;  // a client that does not read is cut off
};

class RouterClient : public QObject {
    Q_OBJECT
public:
    // Takes the socket over; prelude is sent at once.
    RouterClient(Hub& hub, QTcpSocket* socket, QString uniqueId, ClientLimits limits, QObject* parent = nullptr);

    // "videohub:<address>:<port>", the name its locks are held under.
    const QString& Who() const { return m_who; }
    // Sends a change, held back while one of this client's blocks is open.
    void Send(const QByteArray& text);
    // The whole state as this client sees it, as sent on connect.
    QByteArray Prelude() const;
    // Why the gateway cut this client off; empty when the client left.
    const QString& DropReason() const { return m_dropReason; }

signals:
    void gone(corvane::gateway::router::RouterClient* client);

private:
    struct Pending {
        std::string text;
        bool bad = false;  // over a bound: answered NAK without parsing
    };

    void OnReadyRead();
    void TakeLine(std::string line);
    void EndBlock();
    void HandleWaiting();
    void Handle(const Pending& pending);
    void Query(BlockKind kind);
    void ChangeRouting(const ParsedBlock& block);
    void ChangeLabels(const ParsedBlock& block);
    void ChangeLocks(const ParsedBlock& block);
    void Finish(bool ok, const QByteArray& after = {});
    void Write(const QByteArray& text);
    void Drop(const QString& why);
    void Gone();

    Hub& m_hub;
    QTcpSocket* m_pSocket;
    QString m_who;
    QString m_uniqueId;
    ClientLimits m_limits;
    QByteArray m_in;           // bytes of a line not yet complete
    bool m_bSkipLine = false;  // the line being received is over the bound
    Pending m_current;         // the block being received
    std::size_t m_nCurrentLines = 0;
    std::deque<Pending> m_waiting;
    bool m_bBusy = false;  // a block is being handled
    bool m_bInLoop = false;
    bool m_bDropped = false;
    bool m_bGone = false;
    QString m_dropReason;
    QByteArray m_held;  // changes held back until the answer
};

}  // namespace corvane::gateway::router
