#include "CliUdpLink.h"

#include <cerrno>

#include "CliSession.h"
#include "Ipv4Text.h"
#include "NetLinkState.h"
#include "Sock_UDP.h"

namespace {

// Every local address: replies come back to whichever address the system
// sent from, and a loopback switcher answers to loopback.
constexpr const char* ANY_ADDRESS = "0.0.0.0";

}  // namespace

bool OpenCliSocket(int nLocalPort, QString& strError) {
    if (g_SockUDP.Open(nLocalPort, ANY_ADDRESS)) return true;
    const int nErr = g_SockUDP.GetLastError();
    if (nErr == EADDRINUSE) {
        strError = QStringLiteral(
                       "cannot open UDP port %1: address in use (another program, perhaps the Corvane window, "
                       "has it; choose another with --local-port)")
                       .arg(nLocalPort);
    } else if (nErr == EACCES) {
        strError = QStringLiteral("cannot open UDP port %1: permission denied (ports below 1024 need root)").arg(nLocalPort);
    } else {
        strError = QStringLiteral("cannot open UDP port %1: %2").arg(nLocalPort).arg(g_SockUDP.GetLastErrorText());
    }
    return false;
}

bool CCliUdpLink::Open(const QString& strHost, int nLocalPort, QString& strError) {
    const std::optional<corvane::link::Ipv4> ip = corvane::link::ParseIpv4(strHost.toStdString());
    if (!ip) {
        strError = QStringLiteral("%1 is not an address A.B.C.D").arg(strHost);
        return false;
    }
    if (!OpenCliSocket(nLocalPort, strError)) return false;
    g_bSearching = 0;
    g_dwHostIp = corvane::link::Ipv4HostOrder(*ip);
    g_SockUDP.SetRxOwner(this);
    m_strPeer = UdpPeerName(g_dwHostIp, DEVICE_UDP_PORT);
    return true;
}

void CCliUdpLink::Close() {
    g_SockUDP.SetRxOwner(nullptr);
    g_SockUDP.Close();
    g_dwHostIp = NO_HOST_IP;
}

void CCliUdpLink::OnNetRxData(WPARAM wParam) { m_session.OnNetRxData(wParam); }
