#include "link/Sock_UDP.h"

#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/CommandFrames.h"
#include "link/FrameTrace.h"
#include "link/Ipv4Text.h"

CSockUDP g_SockUDP;

QString UdpPeerName(DWORD dwIp, WORD wPort) {
    return QStringLiteral("%1:%2").arg(QString::fromStdString(corvane::link::DottedIp(dwIp))).arg(wPort);
}

namespace {

sockaddr_in Ipv4(DWORD dwIp, WORD wPort) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wPort);
    sa.sin_addr.s_addr = htonl(dwIp);
    return sa;
}

}  // namespace

CSockUDP::CSockUDP() : m_dwSearchIp(BROADCAST_IP) { m_aRxBuf[0] = '\0'; }

CSockUDP::~CSockUDP() {
    Close();
    delete m_pNotifier;  // already disabled: needs no event dispatcher any more
}

BOOL CSockUDP::Fail(int nError, const QString& strReason) {
    m_nLastError = nError;
    m_strLastError = strReason;
    return FALSE;
}

// The socket is made and bound with the system's own calls, so that a
// failure carries the system's error number.
BOOL CSockUDP::Open(long nPort, const char* pszAddress) {
    Close();
    const QString strWhere = QStringLiteral("%1:%2").arg(QString::fromLatin1(pszAddress)).arg(nPort);
    if (nPort < 0 || nPort > 65535) return Fail(EINVAL, QStringLiteral("Port %1 is outside 0 to 65535.").arg(nPort));
    in_addr addr{};
    if (inet_pton(AF_INET, pszAddress, &addr) != 1)
        return Fail(EINVAL, QStringLiteral("\"%1\" is not an IPv4 address.").arg(QString::fromLatin1(pszAddress)));
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(errno, QString::fromLocal8Bit(std::strerror(errno)));
    const sockaddr_in sa = Ipv4(ntohl(addr.s_addr), static_cast<WORD>(nPort));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        const int nError = errno;
        ::close(fd);
        return Fail(nError, QStringLiteral("%1: %2").arg(strWhere, QString::fromLocal8Bit(std::strerror(nError))));
    }
    return Adopt(fd);
}

BOOL CSockUDP::Adopt(int fd) {
    // A search brings every switcher's reply at once. The default receive
    // buffer holds about 256 small datagrams and the kernel drops the rest,
    // so a full table of 300 would lose some; ask for more (the system caps
    // it at its own maximum, net.core.rmem_max).
    const int nRxBytes = RX_BUFFER_BYTES;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &nRxBytes, sizeof nRxBytes);
    if (!m_pNotifier) {
        m_pNotifier = new QSocketNotifier(QSocketNotifier::Read);
        QObject::connect(m_pNotifier, &QSocketNotifier::activated, m_pNotifier, [this] { OnReceive(); });
    }
    m_fd = fd;
    m_pNotifier->setSocket(fd);
    m_pNotifier->setEnabled(true);
    ++m_nSession;
    m_nLastError = 0;
    m_strLastError.clear();
    g_bSocketOpen = 1;
    return TRUE;
}

void CSockUDP::Close() {
    g_bSocketOpen = 0;
    if (m_fd < 0) return;
    ++m_nSession;
    m_pNotifier->setEnabled(false);
    ::close(m_fd);
    m_fd = -1;
}

BOOL CSockUDP::IsOpen() const { return m_fd >= 0; }

WORD CSockUDP::GetLocalPort() const {
    sockaddr_in sa{};
    socklen_t nLen = sizeof sa;
    if (!IsOpen() || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &nLen) != 0) return 0;
    return ntohs(sa.sin_port);
}

BOOL CSockUDP::SendTo(const char* pData, int nLen, DWORD dwIp, WORD wPort) {
    if (!IsOpen() || nLen < 0) return FALSE;
    if (FrameTrace().IsOn()) FrameTrace().Sent(UdpPeerName(dwIp, wPort), pData, static_cast<std::size_t>(nLen));
    const sockaddr_in sa = Ipv4(dwIp, wPort);
    return ::sendto(m_fd, pData, static_cast<size_t>(nLen), 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) ==
           nLen;
}

// A new socket does not broadcast; it does so only while the search is sent,
// so a command addressed to 255.255.255.255 fails instead of reaching every
// switcher.
BOOL CSockUDP::SendSearch() {
    if (!IsOpen()) return FALSE;
    const int nOn = 1, nOff = 0;
    ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &nOn, sizeof nOn);
    const BOOL bSent =
        SendTo(Frames::SEARCH, static_cast<int>(std::strlen(Frames::SEARCH)), m_dwSearchIp, DEVICE_UDP_PORT);
    ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &nOff, sizeof nOff);
    return bSent;
}

bool CSockUDP::StillOpen(unsigned nSession) const { return nSession == m_nSession && IsOpen(); }

// One notification can stand for many datagrams: a batch is read here and
// the rest leaves the socket readable, so the notifier, which is
// level-triggered, announces them again on the next pass of the event loop;
// a burst cannot hold the loop up. A batch never starts inside another:
// owners may open boxes, which run events, and a second batch would let the
// next datagram overwrite g_NetRxBuffer under the reader. The notifier is
// switched off when it fires inside a batch, since it would otherwise fire
// without pause for data that the waiting batch has yet to read; datagrams
// wait in the socket meanwhile, and the outer batch goes on once its owner
// returns. Owners may also close the socket (and open another); the batch
// ends as soon as the socket it started on is gone.
void CSockUDP::OnReceive() {
    if (m_bReceiving) {
        m_pNotifier->setEnabled(false);
        return;
    }
    {
        const QScopedValueRollback<bool> receiving(m_bReceiving, true);
        const unsigned nSession = m_nSession;
        for (int n = 0; n < MAX_DATAGRAMS_PER_PASS && StillOpen(nSession); ++n) {
            if (!ReceiveOne()) break;
        }
    }
    if (IsOpen() && !m_pNotifier->isEnabled()) m_pNotifier->setEnabled(true);
}

// Reads one datagram; false when none was waiting or the read failed. One
// call per datagram: MSG_TRUNC makes the system report a datagram's whole
// length, so one too long for the link is recognised (and is gone) without
// first peeking at its size.
bool CSockUDP::ReceiveOne() {
    sockaddr_in sa{};
    socklen_t nAddrLen = sizeof sa;
    const ssize_t nRead =
        ::recvfrom(m_fd, m_aRxBuf, NET_MAX_DATAGRAM, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &nAddrLen);
    if (nRead < 0) return false;
    if (nRead > NET_MAX_DATAGRAM) return true;  // too long for the link: dropped whole rather than cut to size
    m_aRxBuf[nRead] = '\0';
    if (sa.sin_family != AF_INET) return true;
    const DWORD dwSender = ntohl(sa.sin_addr.s_addr);
    const WORD wSenderPort = ntohs(sa.sin_port);
    if (FrameTrace().IsOn())
        FrameTrace().ReceivedDatagram(UdpPeerName(dwSender, wSenderPort), m_aRxBuf, static_cast<std::size_t>(nRead));
    if (nRead > 0) NetReceive(m_aRxBuf, static_cast<int>(nRead), dwSender, m_pSearchOwner, m_pRxOwner);
    return true;
}
