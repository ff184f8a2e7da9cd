#include "link/NetSend.h"

#include "link/NetLinkState.h"
#include "link/Sock_UDP.h"

void NetSend(const std::string& strFrame) {
    if (g_dwHostIp == NO_HOST_IP) return;
    g_SockUDP.SendTo(strFrame.data(), static_cast<int>(strFrame.size()), g_dwHostIp, DEVICE_UDP_PORT);
}
