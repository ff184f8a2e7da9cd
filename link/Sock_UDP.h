#pragma once
// CSockUDP: the PC's UDP socket to the switchers. Bound to one local address
// and port; sends command datagrams and the broadcast search; every datagram
// that arrives is read on the GUI thread (a read notifier on the socket) and
// handed to NetReceive. QtCore only, so tools without widgets use it too.
#include <QString>

#include "link/NetReceive.h"
#include "base/WinTypes.h"

class QSocketNotifier;

// A peer as traces and messages name it: "192.168.1.50:5000".
QString UdpPeerName(DWORD dwIp, WORD wPort);

class CSockUDP {
public:
    CSockUDP();
    ~CSockUDP();
    CSockUDP(const CSockUDP&) = delete;
    CSockUDP& operator=(const CSockUDP&) = delete;

    // Creates a datagram socket bound to pszAddress (dotted IPv4) and nPort
    // (0: the system picks one) and sets g_bSocketOpen. A socket already open
    // is closed first. On failure returns FALSE with the system's error number
    // (errno: 98 address in use, 99 address not this PC's, 22 for a port
    // outside 0..65535 or an unreadable address) and the reason in words.
    BOOL Open(long nPort, const char* pszAddress);
    // Closes the socket and clears g_bSocketOpen; nothing is read afterwards.
    void Close();
    BOOL IsOpen() const;
    int GetLastError() const { return m_nLastError; }
    QString GetLastErrorText() const { return m_strLastError; }
    // The bound port (the system's choice after Open with 0); 0 when closed.
    WORD GetLocalPort() const;

    // One datagram of nLen bytes to dwIp (first octet in the top byte) and
    // wPort. Returns whether the system accepted it.
    BOOL SendTo(const char* pData, int nLen, DWORD dwIp, WORD wPort);
    // Switches the broadcast option on and sends the search request "@R20#"
    // to the search destination, port DEVICE_UDP_PORT.
    BOOL SendSearch();
    // Where searches go: BROADCAST_IP unless changed (tests point it at a
    // loopback address so that nothing leaves the machine).
    void SetSearchDestination(DWORD dwIp) { m_dwSearchIp = dwIp; }
    DWORD GetSearchDestination() const { return m_dwSearchIp; }

    // Who hears about received datagrams; null owners hear nothing.
    void SetSearchOwner(ISearchOwner* pOwner) { m_pSearchOwner = pOwner; }
    void SetRxOwner(INetRxOwner* pOwner) { m_pRxOwner = pOwner; }
    ISearchOwner* GetSearchOwner() const { return m_pSearchOwner; }
    INetRxOwner* GetRxOwner() const { return m_pRxOwner; }

    // Most datagrams handled in one go before other events get their turn.
    static constexpr int MAX_DATAGRAMS_PER_PASS = 64;
    // Receive buffer asked for: room for well over MAX_DEVICE_NUM replies.
    static constexpr int RX_BUFFER_BYTES = 1024 * 1024;

private:
    BOOL Fail(int nError, const QString& strReason);
    BOOL Adopt(int fd);
    void OnReceive();
    bool ReceiveOne();
    bool StillOpen(unsigned nSession) const;

    int m_fd = -1;
    QSocketNotifier* m_pNotifier = nullptr;  // made on first Open (after the application object exists)
    unsigned m_nSession = 0;                 // counts Opens and Closes: a pass stops when it changes
    bool m_bReceiving = false;               // a receive pass is on the stack
    DWORD m_dwSearchIp;
    ISearchOwner* m_pSearchOwner = nullptr;
    INetRxOwner* m_pRxOwner = nullptr;
    int m_nLastError = 0;
    QString m_strLastError;
    char m_aRxBuf[NET_MAX_DATAGRAM + 1];
};

extern CSockUDP g_SockUDP;
