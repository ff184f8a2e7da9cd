#include "gateway/router/RouterClient.h"

#include <QPointer>
#include <memory>

#include "gateway/router/RouterText.h"

namespace corvane::gateway::router {
namespace {

QString PeerName(const QTcpSocket& socket) {
    QString address = socket.peerAddress().toString();
    if (address.startsWith(QLatin1String("::ffff:"))) address.remove(0, 7);
    return QStringLiteral("%1:%2").arg(address).arg(socket.peerPort());
}

}  // namespace

RouterClient::RouterClient(Hub& hub, QTcpSocket* socket, QString uniqueId, ClientLimits limits, QObject* parent)
    : QObject(parent),
      m_hub(hub),
      m_pSocket(socket),
      m_who(QStringLiteral("videohub:") + PeerName(*socket)),
      m_uniqueId(std::move(uniqueId)),
      m_limits(limits) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &RouterClient::OnReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &RouterClient::Gone);
    Write(Prelude());
}

QByteArray RouterClient::Prelude() const {
    const SwitcherState& sw = m_hub.Switcher();
    const HostState& host = m_hub.Host();
    QByteArray text = PreambleBlock();
    text += DeviceBlock({sw.present, sw.name, m_uniqueId});
    text += LabelBlock(true, host.inputLabels);
    text += LabelBlock(false, host.outputLabels);
    text += LockBlock(host.lockedBy, m_who);
    // A routing never read is not shown as if it were the switcher's.
    if (sw.known) text += RoutingBlock(sw.routing);
    return text + EndPrelude();
}

void RouterClient::Send(const QByteArray& text) {
    if (m_bBusy) {
        m_held += text;
        if (m_held.size() > m_limits.maxUnsentBytes) Drop(QStringLiteral("too much waiting to be sent"));
        return;
    }
    Write(text);
}

// ------------------------------------------------------------ receiving

void RouterClient::OnReadyRead() {
    m_in += m_pSocket->readAll();
    qsizetype nStart = 0;
    while (!m_bDropped) {
        const qsizetype nEnd = m_in.indexOf('\n', nStart);
        if (nEnd < 0) break;
        if (!m_bSkipLine) TakeLine(std::string(m_in.constData() + nStart, static_cast<std::size_t>(nEnd - nStart)));
        m_bSkipLine = false;
        nStart = nEnd + 1;
    }
    m_in.remove(0, nStart);
    // A line that goes on and on: the block is refused, the rest of the
    // line is thrown away as it comes.
    if (static_cast<std::size_t>(m_in.size()) > MAX_LINE_BYTES) {
        m_current.bad = true;
        m_bSkipLine = true;
        m_in.clear();
    }
    HandleWaiting();
}

void RouterClient::TakeLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
        EndBlock();
        return;
    }
    if (++m_nCurrentLines > MAX_BLOCK_LINES || line.size() > MAX_LINE_BYTES) {
        m_current.bad = true;
        return;
    }
    if (!m_current.bad) m_current.text += line + '\n';
}

// Blank lines between blocks are nothing to answer.
void RouterClient::EndBlock() {
    if (m_nCurrentLines == 0 && !m_current.bad) return;
    if (static_cast<int>(m_waiting.size()) >= m_limits.maxWaitingBlocks) {
        Drop(QStringLiteral("more than %1 blocks waiting").arg(m_limits.maxWaitingBlocks));
        return;
    }
    m_waiting.push_back(std::move(m_current));
    m_current = {};
    m_nCurrentLines = 0;
    // Blocks wait only behind one that waits for the switcher.
    HandleWaiting();
}

// ------------------------------------------------------------- handling

void RouterClient::HandleWaiting() {
    if (m_bInLoop) return;
    m_bInLoop = true;
    while (!m_bBusy && !m_bDropped && !m_waiting.empty()) {
        const Pending pending = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_bBusy = true;
        Handle(pending);
    }
    m_bInLoop = false;
}

void RouterClient::Handle(const Pending& pending) {
    if (pending.bad) {
        Finish(false);
        return;
    }
    const ParsedBlock block = ParseBlock(pending.text);
    if (!block.ok) {
        Finish(false);
        return;
    }
    if (block.kind == BlockKind::Ping) {
        Finish(true);
    } else if (block.query) {
        Query(block.kind);
    } else if (block.kind == BlockKind::Routing) {
        ChangeRouting(block);
    } else if (block.kind == BlockKind::Locks) {
        ChangeLocks(block);
    } else {
        ChangeLabels(block);
    }
}

void RouterClient::Query(BlockKind kind) {
    const SwitcherState& sw = m_hub.Switcher();
    const HostState& host = m_hub.Host();
    switch (kind) {
    case BlockKind::Preamble: Finish(true, PreambleBlock()); return;
    case BlockKind::Device: Finish(true, DeviceBlock({sw.present, sw.name, m_uniqueId})); return;
    case BlockKind::InputLabels: Finish(true, LabelBlock(true, host.inputLabels)); return;
    case BlockKind::OutputLabels: Finish(true, LabelBlock(false, host.outputLabels)); return;
    case BlockKind::Locks: Finish(true, LockBlock(host.lockedBy, m_who)); return;
    // A routing never read is not told.
    case BlockKind::Routing: Finish(sw.known, sw.known ? RoutingBlock(sw.routing) : QByteArray()); return;
    default: Finish(false); return;
    }
}

// One line is one route; several are one salvo: the switcher gets them in
// output order, and a refused line refuses them all.
void RouterClient::ChangeRouting(const ParsedBlock& block) {
    QPointer<RouterClient> self(this);
    const Completion done = [self](const Outcome& outcome) {
        if (self) self->Finish(outcome.Ok());
    };
    if (block.items.size() == 1) {
        m_hub.Route(m_who, block.items[0].index, block.items[0].input, done);
        return;
    }
    Routing routing = m_hub.Switcher().routing;
    for (const BlockItem& item : block.items) routing[item.index] = item.input;
    m_hub.Salvo(m_who, routing, done);
}

// All labels are checked before any is changed, so a refused block
// changes nothing.
void RouterClient::ChangeLabels(const ParsedBlock& block) {
    const bool bInput = block.kind == BlockKind::InputLabels;
    for (const BlockItem& item : block.items) {
        if (!ValidLabel(QString::fromUtf8(item.text))) {
            Finish(false);
            return;
        }
    }
    bool bOk = true;
    for (const BlockItem& item : block.items) {
        m_hub.SetLabel(m_who, bInput, item.index, QString::fromUtf8(item.text),
                       [&bOk](const Outcome& outcome) { bOk = bOk && outcome.Ok(); });
    }
    Finish(bOk);
}

// "O" takes an output, "U" gives back one's own, "F" frees anyone's. A
// line that would be refused refuses the block before anything changes.
void RouterClient::ChangeLocks(const ParsedBlock& block) {
    const HostState& host = m_hub.Host();
    for (const BlockItem& item : block.items) {
        const QString& owner = host.lockedBy[item.index];
        if (item.lock != 'F' && !owner.isEmpty() && owner != m_who) {
            Finish(false);
            return;
        }
    }
    bool bOk = true;
    const auto done = [&bOk](const Outcome& outcome) { bOk = bOk && outcome.Ok(); };
    for (const BlockItem& item : block.items) {
        if (item.lock == 'O') {
            m_hub.Lock(m_who, item.index, done);
        } else {
            m_hub.Unlock(m_who, item.index, item.lock == 'F', done);
        }
    }
    Finish(bOk);
}

void RouterClient::Finish(bool ok, const QByteArray& after) {
    m_bBusy = false;
    Write((ok ? Ack() : Nak()) + after + m_held);
    m_held.clear();
    HandleWaiting();
}

// ------------------------------------------------------------- sending

void RouterClient::Write(const QByteArray& text) {
    if (m_bDropped || text.isEmpty()) return;
    m_pSocket->write(text);
    if (m_pSocket->bytesToWrite() > m_limits.maxUnsentBytes) Drop(QStringLiteral("it does not read what is sent"));
}

// Cut off. gone() comes from the event loop, never from inside a call
// that may still use this client.
void RouterClient::Drop(const QString& why) {
    if (m_bDropped) return;
    m_bDropped = true;
    m_dropReason = why;
    m_waiting.clear();
    m_pSocket->abort();
    QMetaObject::invokeMethod(this, &RouterClient::Gone, Qt::QueuedConnection);
}

void RouterClient::Gone() {
    if (m_bGone) return;
    m_bGone = true;
    emit gone(this);
}

}  // namespace corvane::gateway::router
