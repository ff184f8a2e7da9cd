#include "cli/CliUdpLink.h"

#include <cerrno>

#include "link/Ipv4Text.h"
#include "link/NetLinkState.h"
#include "link/Sock_UDP.h"

namespace {

// Why g_SockUDP could not be bound to nLocalPort, with the usual cause.
QString SocketOpenError(int nLocalPort) {
    const int nErr = g_SockUDP.GetLastError();
    if (nErr == EADDRINUSE) {
        return QStringLiteral(
                   "cannot open UDP port %1: address in use (another program, perhaps the Corvane window, "
                   "has it; choose another with --local-port)")
            .arg(nLocalPort);
    }
    if (nErr == EACCES) {
        return QStringLiteral("cannot open UDP port %1: permission denied (ports below 1024 need root)")
            .arg(nLocalPort);
    }
    return QStringLiteral("cannot open UDP port %1: %2").arg(nLocalPort).arg(g_SockUDP.GetLastErrorText());
}

}  // namespace

bool OpenCliSocket(int nLocalPort, QString& strError) {
    if (corvane::link::OpenSwitcherSocket(nLocalPort)) return true;
    strError = SocketOpenError(nLocalPort);
    return false;
}

bool OpenCliUdpLink(corvane::link::UdpLink& link, const QString& strHost, int nLocalPort, QString& strError) {
    const std::optional<corvane::link::Ipv4> ip = corvane::link::ParseIpv4(strHost.toStdString());
    if (!ip) {
        strError = QStringLiteral("%1 is not an address A.B.C.D").arg(strHost);
        return false;
    }
    link.SetEndpoint(nLocalPort, corvane::link::Ipv4HostOrder(*ip));
    if (link.Open()) return true;
    strError = SocketOpenError(nLocalPort);
    return false;
}
