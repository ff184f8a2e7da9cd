#include "Sock_UDP.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <QUdpSocket>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "CommandFrames.h"

CSockUDP g_SockUDP;

CSockUDP::CSockUDP() : m_dwSearchIp(BROADCAST_IP) { m_aRxBuf[0] = '\0'; }

CSockUDP::~CSockUDP() {
    Close();
    delete m_pSocket;
}

BOOL CSockUDP::Fail(int nError, const QString& strReason) {
    m_nLastError = nError;
    m_strLastError = strReason;
    return FALSE;
}

// The socket is made and bound here rather than by QUdpSocket::bind, so that
// a failure carries the system's own error number.
BOOL CSockUDP::Open(long nPort, const char* pszAddress) {
    Close();
    const QString strWhere = QStringLiteral("%1:%2").arg(QString::fromLatin1(pszAddress)).arg(nPort);
    if (nPort < 0 || nPort > 65535) return Fail(EINVAL, QStringLiteral("Port %1 is outside 0 to 65535.").arg(nPort));
    in_addr addr{};
    if (inet_pton(AF_INET, pszAddress, &addr) != 1)
        return Fail(EINVAL, QStringLiteral("\"%1\" is not an IPv4 address.").arg(QString::fromLatin1(pszAddress)));
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(errno, QString::fromLocal8Bit(std::strerror(errno)));
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(nPort));
    sa.sin_addr = addr;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        const int nError = errno;
        ::close(fd);
        return Fail(nError, QStringLiteral("%1: %2").arg(strWhere, QString::fromLocal8Bit(std::strerror(nError))));
    }
    return Adopt(fd);
}

BOOL CSockUDP::Adopt(int fd) {
    if (!m_pSocket) {
        m_pSocket = new QUdpSocket;
        QObject::connect(m_pSocket, &QUdpSocket::readyRead, m_pSocket, [this] { OnReceive(); });
    }
    if (!m_pSocket->setSocketDescriptor(fd, QAbstractSocket::BoundState, QIODevice::ReadWrite)) {
        ::close(fd);
        return Fail(EINVAL, m_pSocket->errorString());
    }
    // Qt switches broadcasting on for every datagram socket; here only a
    // search may broadcast, so a command to 255.255.255.255 fails instead.
    const int nOff = 0;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &nOff, sizeof nOff);
    ++m_nSession;
    m_nLastError = 0;
    m_strLastError.clear();
    g_bSocketOpen = 1;
    return TRUE;
}

void CSockUDP::Close() {
    g_bSocketOpen = 0;
    if (!m_pSocket || m_pSocket->state() == QAbstractSocket::UnconnectedState) return;
    ++m_nSession;
    m_pSocket->abort();
}

BOOL CSockUDP::IsOpen() const { return m_pSocket && m_pSocket->state() == QAbstractSocket::BoundState; }

WORD CSockUDP::GetLocalPort() const { return IsOpen() ? m_pSocket->localPort() : 0; }

BOOL CSockUDP::SendTo(const char* pData, int nLen, DWORD dwIp, WORD wPort) {
    if (!IsOpen() || nLen < 0) return FALSE;
    return m_pSocket->writeDatagram(pData, nLen, QHostAddress(dwIp), wPort) == nLen;
}

BOOL CSockUDP::SendSearch() {
    if (!IsOpen()) return FALSE;
    const int nOn = 1;
    ::setsockopt(static_cast<int>(m_pSocket->socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &nOn, sizeof nOn);
    return SendTo(Frames::SEARCH, static_cast<int>(std::strlen(Frames::SEARCH)), m_dwSearchIp, DEVICE_UDP_PORT);
}

bool CSockUDP::StillOpen(unsigned nSession) const { return nSession == m_nSession && IsOpen(); }

// One readyRead can stand for many datagrams: all of them are read, a batch
// at a time, the rest in a queued pass so that a burst cannot hold up the
// event loop. Owners may open boxes (which run events) or close the socket;
// the pass ends as soon as the socket it started on is gone. A pass never
// starts inside another: a box opened while a datagram is handled would
// otherwise let the next datagram overwrite g_NetRxBuffer under the reader.
void CSockUDP::OnReceive() {
    m_bPassQueued = false;
    if (m_bReceiving) return;  // the pass below goes on once its owner returns
    const QScopedValueRollback<bool> receiving(m_bReceiving, true);
    const unsigned nSession = m_nSession;
    for (int n = 0; n < MAX_DATAGRAMS_PER_PASS; ++n) {
        if (!StillOpen(nSession) || !m_pSocket->hasPendingDatagrams()) return;
        if (!ReceiveOne()) return;
    }
    if (StillOpen(nSession) && m_pSocket->hasPendingDatagrams() && !m_bPassQueued) {
        m_bPassQueued = true;
        QMetaObject::invokeMethod(
            m_pSocket, [this] { OnReceive(); }, Qt::QueuedConnection);
    }
}

// Reads one datagram; false when the read failed.
bool CSockUDP::ReceiveOne() {
    QHostAddress sender;
    const qint64 nPending = m_pSocket->pendingDatagramSize();
    if (nPending > NET_MAX_DATAGRAM) {
        // Too long for the link: dropped whole rather than cut to size.
        char cDiscard = 0;
        return m_pSocket->readDatagram(&cDiscard, 1) >= 0;
    }
    const qint64 nRead = m_pSocket->readDatagram(m_aRxBuf, NET_MAX_DATAGRAM, &sender);
    if (nRead < 0) return false;
    m_aRxBuf[nRead] = '\0';
    bool bIpv4 = false;
    const quint32 dwSender = sender.toIPv4Address(&bIpv4);
    if (nRead > 0 && bIpv4) NetReceive(m_aRxBuf, static_cast<int>(nRead), dwSender, m_pSearchOwner, m_pRxOwner);
    return true;
}
