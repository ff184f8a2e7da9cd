#include "link/PcAddress.h"

#include <QHostInfo>
#include <QNetworkInterface>

QString PcHostName() { return QHostInfo::localHostName().left(PC_HOST_NAME_MAX); }

DWORD PcIpv4Address() {
    DWORD dwLoopback = 0;
    const auto aInterfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : aInterfaces) {
        if (!(iface.flags() & QNetworkInterface::IsUp)) continue;
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            const QHostAddress addr = entry.ip();
            if (addr.protocol() != QAbstractSocket::IPv4Protocol) continue;
            if (!addr.isLoopback()) return addr.toIPv4Address();
            if (!dwLoopback) dwLoopback = addr.toIPv4Address();
        }
    }
    return dwLoopback;
}
