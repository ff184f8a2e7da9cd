#include "link/UdpOpenText.h"

#include <cerrno>

#include "link/Sock_UDP.h"

namespace corvane::link {

QString UdpPortOpenError(int nLocalPort, const QString& strAdvice) {
    const int nErr = g_SockUDP.GetLastError();
    if (nErr == EADDRINUSE) {
        const QString strCause = QStringLiteral("another program, perhaps the Corvane window, has it");
        return QStringLiteral("cannot open UDP port %1: address in use (%2)")
            .arg(nLocalPort)
            .arg(strAdvice.isEmpty() ? strCause : strCause + QStringLiteral("; ") + strAdvice);
    }
    if (nErr == EACCES) {
        return QStringLiteral("cannot open UDP port %1: permission denied (ports below 1024 need root)")
            .arg(nLocalPort);
    }
    return QStringLiteral("cannot open UDP port %1: %2").arg(nLocalPort).arg(g_SockUDP.GetLastErrorText());
}

}  // namespace corvane::link
