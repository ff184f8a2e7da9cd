#include "gateway/router/RouterServer.h"

#include <algorithm>
#include <unistd.h>

#include "gateway/router/RouterText.h"

namespace corvane::gateway::router {
namespace {

const QString WHO_PREFIX = QStringLiteral("videohub:");

// Bit n set where entry n differs.
template <typename Array>
unsigned Differing(const Array& a, const Array& b) {
    unsigned mask = 0;
    for (std::size_t n = 0; n < a.size(); ++n) {
        if (a[n] != b[n]) mask |= 1u << n;
    }
    return mask;
}

}  // namespace

RouterServer::RouterServer(Hub& hub, RouterOptions options, QObject* parent)
    : QObject(parent), m_hub(hub), m_options(options), m_uniqueId(UniqueIdFor(hub.LinkName())) {
    connect(&m_server, &QTcpServer::newConnection, this, &RouterServer::OnConnection);
    connect(&hub, &Hub::changed, this, &RouterServer::OnChanged);
}

RouterServer::~RouterServer() {
    // The clients' sockets go with them; nothing is told to the hub.
    for (RouterClient* client : m_clients) {
        disconnect(client, nullptr, this, nullptr);
        delete client;
    }
}

bool RouterServer::Listen(QString& error) {
    if (m_server.listen(m_options.address, m_options.port)) return true;
    error = QStringLiteral("cannot listen for router clients on %1:%2: %3")
                .arg(m_options.address.toString())
                .arg(m_options.port)
                .arg(m_server.errorString());
    return false;
}

void RouterServer::FreeStaleLocks() {
    const auto ignore = [](const Outcome&) {};
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        const QString owner = m_hub.Host().lockedBy[o];
        if (owner.startsWith(WHO_PREFIX)) m_hub.Unlock(owner, o, false, ignore);
    }
}

RouterServer::Told RouterServer::Now() const {
    const SwitcherState& sw = m_hub.Switcher();
    return {sw.present, sw.known, sw.name, sw.routing, m_hub.Host()};
}

void RouterServer::OnConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (ClientCount() >= m_options.maxClients) {
            Log(QStringLiteral("router client refused: already %1 connected").arg(m_options.maxClients));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // With nobody listening, nothing was told; start from what is now.
        if (m_clients.empty()) m_told = Now();
        auto* client = new RouterClient(m_hub, socket, m_uniqueId, m_options.limits, this);
        connect(client, &RouterClient::gone, this, &RouterServer::OnGone);
        m_clients.push_back(client);
        Log(QStringLiteral("router client %1 connected").arg(client->Who()));
    }
}

// A client's locks end with its connection: nobody else could give them back.
void RouterServer::OnGone(RouterClient* client) {
    const auto it = std::find(m_clients.begin(), m_clients.end(), client);
    if (it == m_clients.end()) return;
    m_clients.erase(it);
    const QString reason = client->DropReason();
    Log(reason.isEmpty() ? QStringLiteral("router client %1 gone").arg(client->Who())
                         : QStringLiteral("router client %1 cut off: %2").arg(client->Who(), reason));
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        if (m_hub.Host().lockedBy[o] == client->Who()) m_hub.Unlock(client->Who(), o, false, [](const Outcome&) {});
    }
    client->deleteLater();
}

// Changes made in one go (the labels of one block) are told together,
// once the event loop is back; the client that made them has its answer
// by then.
void RouterServer::OnChanged() {
    if (m_bChangesQueued) return;
    m_bChangesQueued = true;
    QMetaObject::invokeMethod(this, &RouterServer::SendChanges, Qt::QueuedConnection);
}

// The lines that changed since the clients were last told, locks written
// for each client.
void RouterServer::SendChanges() {
    m_bChangesQueued = false;
    const Told now = Now();
    QByteArray common;
    if (now.present != m_told.present || now.name != m_told.name)
        common += DeviceBlock({now.present, now.name, m_uniqueId});
    if (const unsigned mask = Differing(now.host.inputLabels, m_told.host.inputLabels))
        common += LabelBlock(true, now.host.inputLabels, mask);
    if (const unsigned mask = Differing(now.host.outputLabels, m_told.host.outputLabels))
        common += LabelBlock(false, now.host.outputLabels, mask);
    if (now.known) {
        const unsigned mask = m_told.known ? Differing(now.routing, m_told.routing) : 0xFu;
        if (mask) common += RoutingBlock(now.routing, mask);
    }
    const unsigned lockMask = Differing(now.host.lockedBy, m_told.host.lockedBy);
    m_told = now;
    for (RouterClient* client : m_clients) {
        client->Send(lockMask ? common + LockBlock(now.host.lockedBy, client->Who(), lockMask) : common);
    }
}

}  // namespace corvane::gateway::router
