#pragma once
// The UDP link of corvane-cli: the window's socket (g_SockUDP), bound to this
// computer's port, with one switcher chosen as the window's Net Config page
// chooses it. Datagrams of that switcher go to the session's reply decoding.
#include <QString>

#include "NetReceive.h"

class CCliSession;

// Binds g_SockUDP to every local address at nLocalPort; false with a reason
// that names the usual cause (another program on the port).
bool OpenCliSocket(int nLocalPort, QString& strError);

class CCliUdpLink : public INetRxOwner {
public:
    explicit CCliUdpLink(CCliSession& session) : m_session(session) {}
    bool Open(const QString& strHost, int nLocalPort, QString& strError);
    void Close();
    QString PeerName() const { return m_strPeer; }
    void OnNetRxData(WPARAM wParam) override;

private:
    CCliSession& m_session;
    QString m_strPeer;
};
