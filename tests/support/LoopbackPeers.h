#pragma once
// Switchers played by the test on loopback addresses (Loopback.h).
// Header only: its users link Qt Network themselves.
#include <QByteArray>
#include <QHostAddress>
#include <QUdpSocket>
#include <algorithm>

#include "tests/support/Loopback.h"
#include "tests/support/Wait.h"
#include "base/WinTypes.h"

// One peer socket bound to a loopback address and a port.
class LoopbackPeer {
public:
    LoopbackPeer(DWORD dwIp, quint16 nPort) { m_bBound = m_sock.bind(QHostAddress(dwIp), nPort); }
    bool IsBound() const { return m_bBound; }
    void SendTo(const QByteArray& ab, DWORD dwIp, quint16 nPort) {
        m_sock.writeDatagram(ab, QHostAddress(dwIp), nPort);
    }
    // Waits (events keep running) until a datagram arrives; empty on time-out.
    QByteArray Receive(QHostAddress* pFrom = nullptr, quint16* pPort = nullptr, int nMaxMs = 5000) {
        if (!WaitUntil([this] { return m_sock.hasPendingDatagrams(); }, nMaxMs)) return {};
        QByteArray ab(static_cast<int>(std::max<qint64>(m_sock.pendingDatagramSize(), 0)), '\0');
        m_sock.readDatagram(ab.data(), ab.size(), pFrom, pPort);
        return ab;
    }
    bool HasPending() { return m_sock.hasPendingDatagrams(); }

private:
    QUdpSocket m_sock;
    bool m_bBound = false;
};
