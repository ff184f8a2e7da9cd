#pragma once
// Why the switcher's UDP socket could not be bound to a local port, in words
// that name the usual cause. corvane-cli and the gateway take their texts
// from here; each adds how its operator chooses another port.
#include <QString>

namespace corvane::link {

// The reason g_SockUDP's last Open failed at nLocalPort: "cannot open UDP
// port 5001: address in use (another program, perhaps the Corvane window,
// has it; <strAdvice>)". strAdvice (may be empty) only follows a port in use.
QString UdpPortOpenError(int nLocalPort, const QString& strAdvice);

}  // namespace corvane::link
