#include "gateway/relay/UdpRelay.h"

#include <QPointer>
#include <QTimer>

#include "link/CommandFrames.h"
#include "gateway/relay/RelayFrame.h"

namespace corvane::gateway::relay {
namespace {

// Datagrams read per wake-up, so a flood cannot hold the event loop.
constexpr int MAX_DATAGRAMS_PER_WAKE = 64;
constexpr int DROP_LOG_WINDOW_MS = 1000;
constexpr int DROP_LOG_LINES_PER_WINDOW = 5;

QString PeerName(const QHostAddress& address, quint16 port) {
    return QStringLiteral("%1:%2").arg(QHostAddress(address.toIPv4Address()).toString()).arg(port);
}

}  // namespace

UdpRelay::UdpRelay(Hub& hub, QObject* parent) : QObject(parent), m_hub(hub) {
    connect(&m_socket, &QUdpSocket::readyRead, this, &UdpRelay::OnReadyRead);
    // A client polling the change counter learns of every change of the
    // switcher, whoever made it, and reads the configuration again.
    connect(&m_hub, &Hub::changed, this, [this](Change what, const QString&) {
        if (what == Change::Routing || what == Change::Edid || what == Change::Name || what == Change::Network)
            ++m_nCounter;
    });
}

bool UdpRelay::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (!m_socket.bind(address, port)) {
        error = QStringLiteral("relay: cannot listen on UDP %1:%2: %3")
                    .arg(address.toString())
                    .arg(port)
                    .arg(m_socket.errorString());
        return false;
    }
    return true;
}

QString UdpRelay::LocalName() const { return PeerName(m_socket.localAddress(), m_socket.localPort()); }

void UdpRelay::OnReadyRead() {
    for (int i = 0; i < MAX_DATAGRAMS_PER_WAKE && m_socket.hasPendingDatagrams(); ++i) ReadOne();
    if (m_socket.hasPendingDatagrams()) QTimer::singleShot(0, this, &UdpRelay::OnReadyRead);
}

void UdpRelay::ReadOne() {
    const qint64 nSize = m_socket.pendingDatagramSize();
    QByteArray datagram(static_cast<qsizetype>(std::clamp<qint64>(nSize, 0, MAX_DATAGRAM_BYTES)), '\0');
    QHostAddress from;
    quint16 port = 0;
    // A datagram longer than the buffer is read cut short and then dropped
    // whole, never forwarded in part.
    const qint64 nRead = m_socket.readDatagram(datagram.data(), datagram.size(), &from, &port);
    if (nRead < 0) return;
    if (nSize > MAX_DATAGRAM_BYTES) {
        Drop(PeerName(from, port), QStringLiteral("%1 bytes, more than %2").arg(nSize).arg(MAX_DATAGRAM_BYTES));
        return;
    }
    datagram.truncate(static_cast<qsizetype>(nRead));
    Handle(datagram, from, port);
}

void UdpRelay::Handle(const QByteArray& datagram, const QHostAddress& from, quint16 port) {
    const QString peer = PeerName(from, port);
    QString reason;
    const std::optional<Request> request = ParseRequest(datagram, reason);
    if (!request) {
        Drop(peer, reason);
        return;
    }
    if (AnswerCounter(*request, from, port)) return;
    if (!m_hub.Switcher().present) {
        Drop(peer, QStringLiteral("the switcher is absent"));
        return;
    }
    if (m_waiting.value(peer) >= MAX_WAITING_PER_CLIENT || m_nWaiting >= MAX_WAITING_ALL) {
        Drop(peer, QStringLiteral("too many of its requests waiting for the switcher"));
        return;
    }
    Forward(request->frame, request->write, from, port);
}

// The change counter, polled every second by each client that watches:
// answered here, moved by every change the hub sees. Nothing while the
// switcher is absent: a client then sees no switcher, as without the gateway.
bool UdpRelay::AnswerCounter(const Request& request, const QHostAddress& to, quint16 port) {
    if (request.write || request.reg != Frames::REG_CHANGE_COUNTER) return false;
    if (!m_hub.Switcher().present) return true;
    Send(FormatReply(request.reg, {static_cast<uint8_t>(m_nCounter >> 8), static_cast<uint8_t>(m_nCounter & 0xFF)}), to,
         port);
    return true;
}

void UdpRelay::Forward(const std::string& frame, bool write, const QHostAddress& to, quint16 port) {
    const QString peer = PeerName(to, port);
    ++m_waiting[peer];
    ++m_nWaiting;
    const QPointer<UdpRelay> self(this);
    m_hub.Raw(QStringLiteral("relay %1").arg(peer), frame, write,
              [self, peer, to, port](const Outcome& outcome, const std::string& reply) {
                  if (!self) return;
                  if (--self->m_waiting[peer] <= 0) self->m_waiting.remove(peer);
                  --self->m_nWaiting;
                  // No reply is what the client would see from a switcher
                  // that did not answer; the log says why.
                  if (!outcome.Ok()) {
                      self->Log(QStringLiteral("relay: request of %1 not answered: %2").arg(peer, outcome.message));
                      return;
                  }
                  if (reply.empty()) {
                      self->Log(QStringLiteral("relay: reply for %1 too long to pass on").arg(peer));
                      return;
                  }
                  self->Send(reply, to, port);
              });
}

void UdpRelay::Send(const std::string& reply, const QHostAddress& to, quint16 port) {
    m_socket.writeDatagram(reply.data(), static_cast<qint64>(reply.size()), to, port);
}

// A few lines a second at most; a flood is summed up in the next line.
void UdpRelay::Drop(const QString& peer, const QString& reason) {
    if (!m_logWindow.isValid() || m_logWindow.elapsed() >= DROP_LOG_WINDOW_MS) {
        m_logWindow.start();
        m_nLoggedInWindow = 0;
    }
    if (m_nLoggedInWindow >= DROP_LOG_LINES_PER_WINDOW) {
        ++m_nUnlogged;
        return;
    }
    ++m_nLoggedInWindow;
    QString line =
        QStringLiteral("relay: datagram from %1 dropped, nothing sent to the switcher: %2").arg(peer, reason);
    if (m_nUnlogged > 0) line += QStringLiteral(" (and %1 more dropped before it)").arg(m_nUnlogged);
    m_nUnlogged = 0;
    Log(line);
}

}  // namespace corvane::gateway::relay
