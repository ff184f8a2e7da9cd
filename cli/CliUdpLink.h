#pragma once
// The UDP link of corvane-cli: the window's socket (g_SockUDP), bound to this
// computer's port, with one switcher chosen as the window's Net Config page
// chooses it.
#include <QString>

#include "link/UdpLink.h"

// Binds g_SockUDP to every local address at nLocalPort; false with a reason
// that names the usual cause (another program on the port).
bool OpenCliSocket(int nLocalPort, QString& strError);

// Opens link from nLocalPort to the switcher at strHost (A.B.C.D); false
// with the reason in strError.
bool OpenCliUdpLink(corvane::link::UdpLink& link, const QString& strHost, int nLocalPort, QString& strError);
