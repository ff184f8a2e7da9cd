#include "tools/sim/SimUdp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Datagrams handled per wake-up, so a flood on the socket cannot keep the
// pseudo-terminal waiting.
constexpr int MAX_DATAGRAMS_PER_WAKE = 64;

std::string SysError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

sockaddr_in ToSockAddr(SimPeer peer) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(peer.dwIp);
    sa.sin_port = htons(peer.wPort);
    return sa;
}

}  // namespace

std::string SimPeerText(SimPeer peer) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u:%u", peer.dwIp >> 24, (peer.dwIp >> 16) & 0xFF, (peer.dwIp >> 8) & 0xFF,
                  peer.dwIp & 0xFF, peer.wPort);
    return buf;
}

CSimUdp::CSimUdp(CSimSwitcher& sw, int nDelayMs, bool bVerbose)
    : m_Switcher(sw), m_nDelayMs(nDelayMs), m_bVerbose(bVerbose) {}

CSimUdp::~CSimUdp() {
    if (m_fd >= 0) close(m_fd);
}

bool CSimUdp::Open(std::uint32_t dwIp, std::uint16_t wPort, std::string& error) {
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return error = SysError("socket"), false;
    const sockaddr_in sa = ToSockAddr({dwIp, wPort});
    if (bind(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        return error = SysError(SimPeerText({dwIp, wPort}).c_str()), false;
    return true;
}

std::string CSimUdp::LocalAddress() const {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return "?";
    return SimPeerText({ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)});
}

short CSimUdp::PollEvents() const { return POLLIN; }

void CSimUdp::OnEvents(short revents, SimClock::time_point now) {
    if (revents & POLLERR) {
        // A pending socket error is level-triggered: reading it clears it,
        // so the loop does not wake again at once.
        int nError = 0;
        socklen_t len = sizeof nError;
        getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &nError, &len);
    }
    if (!(revents & POLLIN)) return;
    for (int i = 0; i < MAX_DATAGRAMS_PER_WAKE && ReadOne(now); ++i) {
    }
}

bool CSimUdp::ReadOne(SimClock::time_point now) {
    char buf[SIM_MAX_DATAGRAM + 1];
    sockaddr_in from{};
    socklen_t len = sizeof from;
    // MSG_TRUNC makes recvfrom report the datagram's real length, so one
    // that did not fit is recognised and dropped.
    const ssize_t n = recvfrom(m_fd, buf, sizeof buf, MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0) return errno == EINTR;  // EAGAIN: nothing left; other errors: try again on the next wake
    const SimPeer peer{ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
    if (static_cast<std::size_t>(n) > SIM_MAX_DATAGRAM) {
        if (m_bVerbose)
            std::fprintf(stderr, "corvane-sim: udp %zd-byte datagram from %s dropped\n", n, SimPeerText(peer).c_str());
        return true;
    }
    const std::string_view datagram(buf, static_cast<std::size_t>(n));
    if (m_bVerbose)
        std::fprintf(stderr, "corvane-sim: udp rx %s %s\n", SimPeerText(peer).c_str(), SimPrintable(datagram).c_str());
    auto reply = SimAnswerDatagram(m_Switcher, datagram);
    if (!reply) return true;
    if (m_nDelayMs > 0) {
        if (!m_Delayed.Push(std::move(*reply), now + std::chrono::milliseconds(m_nDelayMs), peer))
            std::fprintf(stderr, "corvane-sim: too many delayed replies, one dropped\n");
        return true;
    }
    Send(*reply, peer);
    return true;
}

void CSimUdp::OnTime(SimClock::time_point now) {
    while (auto queued = m_Delayed.PopDue(now)) Send(queued->reply, queued->peer);
}

void CSimUdp::Send(const std::string& reply, SimPeer peer) {
    if (m_bVerbose)
        std::fprintf(stderr, "corvane-sim: udp tx %s %s\n", SimPeerText(peer).c_str(), SimPrintable(reply).c_str());
    const sockaddr_in to = ToSockAddr(peer);
    // A full send buffer or an unreachable peer loses the reply, as a lost
    // datagram would; the client's wait times out.
    if (sendto(m_fd, reply.data(), reply.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0 &&
        m_bVerbose)
        std::fprintf(stderr, "corvane-sim: udp send to %s failed: %s\n", SimPeerText(peer).c_str(),
                     std::strerror(errno));
}
