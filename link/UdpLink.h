#pragma once
// The UDP socket to the switcher as a link: g_SockUDP with one switcher
// chosen (g_dwHostIp); datagrams of that switcher arrive as received bytes.
// g_bNetConnected stays the record of whether it is open. In the window the
// Net Config page opens the socket and chooses the switcher; the link only
// delivers what arrives (Attach). corvane-cli opens it whole (Open).
#include <QString>

#include "link/DeviceState.h"
#include "link/Link.h"
#include "link/NetReceive.h"

namespace corvane::link {

class UdpLink : public Link, public INetRxOwner {
public:
    // What Open binds and whom it talks to: local port (0: the system picks
    // one) on every local address, the switcher's address (first octet in
    // the top byte).
    void SetEndpoint(int nLocalPort, DWORD dwHostIp) {
        m_nLocalPort = nLocalPort;
        m_dwHostIp = dwHostIp;
    }

    // Binds the socket, chooses the switcher, receives and marks the network
    // link open. On failure the socket's error number and text tell why.
    bool Open() override;
    // Marks the link closed, stops receiving, closes the socket and forgets
    // the switcher.
    void Close() override;
    bool IsOpen() const override { return g_bNetConnected == 1; }
    // One datagram to the chosen switcher; nothing while none is chosen.
    bool SendFrame(const std::string& strFrame) override;

    // Makes the socket deliver the chosen switcher's datagrams here, or
    // stops that; whoever opens the socket may be someone else.
    void Attach();
    void Detach();

    // A datagram of the chosen switcher, from the socket.
    void OnNetRxData(const char* pData, int nLen) override;

private:
    int m_nLocalPort = 0;
    DWORD m_dwHostIp = 0;
};

// Binds g_SockUDP to every local address at nLocalPort: replies come back to
// whichever address the system sent from, and a loopback switcher answers
// to loopback. On failure the socket's error number and text tell why.
bool OpenSwitcherSocket(int nLocalPort);

// The link over g_SockUDP that the send path uses.
UdpLink& TheUdpLink();

}  // namespace corvane::link
