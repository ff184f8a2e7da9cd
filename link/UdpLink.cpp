#include "link/UdpLink.h"

#include <cstring>

#include "link/DeviceState.h"
#include "link/NetSend.h"
#include "link/Sock_UDP.h"

namespace corvane::link {

bool OpenSwitcherSocket(int nLocalPort) { return g_SockUDP.Open(nLocalPort, "0.0.0.0") != FALSE; }

bool UdpLink::Open() {
    if (!OpenSwitcherSocket(m_nLocalPort)) return false;
    g_bSearching = 0;
    g_dwHostIp = m_dwHostIp;
    Attach();
    g_bNetConnected = 1;
    return true;
}

void UdpLink::Close() {
    g_bNetConnected = 0;
    Detach();
    g_SockUDP.Close();
    g_dwHostIp = NO_HOST_IP;
}

bool UdpLink::SendFrame(const std::string& strFrame) {
    if (!IsOpen()) return false;
    NetSend(strFrame);
    return true;
}

void UdpLink::Attach() { g_SockUDP.SetRxOwner(this); }

void UdpLink::Detach() {
    if (g_SockUDP.GetRxOwner() == this) g_SockUDP.SetRxOwner(nullptr);
}

// Characters of the two links must never mix in one frame: while the serial
// link is open the network's are dropped. A datagram ends at its first zero
// byte.
void UdpLink::OnNetRxData(const char* pData, int nLen) {
    if (g_bComConnected == 1) return;
    BytesReceived(pData, strnlen(pData, static_cast<std::size_t>(nLen)));
}

UdpLink& TheUdpLink() {
    static UdpLink link;
    return link;
}

}  // namespace corvane::link
