#pragma once
// The PC's own name and address, as the Net Config page shows them.
#include <QString>

#include "base/WinTypes.h"

constexpr int PC_HOST_NAME_MAX = 19;

// The host name, cut to PC_HOST_NAME_MAX characters; empty when it cannot be read.
QString PcHostName();
// The first IPv4 address of an interface that is up and not loopback, first
// octet in the top byte. Loopback only when the PC has nothing else (the host
// name usually resolves to loopback here, where no switcher can answer);
// 0 when there is no IPv4 address at all.
DWORD PcIpv4Address();
