#pragma once
// One connection to the switcher, opened as an operator names it: a serial
// port by "COMn" or device path, or the UDP link to a switcher's address from
// a local port. What comes back goes through the window's reply assembler and
// decoder; the owner hears each decoded reply, each answer of the switcher
// and the loss of the link through handlers. It drives the window's one
// serial port and one socket (g_SerialPort, g_SockUDP) and takes the serial
// driver's error reports, so one connection exists at a time.
#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "link/ReplyEvents.h"
#include "link/SerialLink.h"
#include "link/UdpLink.h"

namespace corvane::link {

// The serial driver's error text on one line, without its "WARNING:" and
// port number (whoever shows it names the port already).
QString DriverErrorLine(const QString& strDriverText);

class Connection : private IReplySink {
public:
    using ReplyHandler = std::function<void(const ReplyEvent&)>;
    using HeardHandler = std::function<void()>;
    using LostHandler = std::function<void(const QString& strReason)>;

    Connection();
    ~Connection() override;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the serial port strPort names ("COM3" or a device path). The name
    // is looked up again on every open, so a link such as
    // /dev/serial/by-id/... reaches the device wherever it was enumerated.
    // False with a one-line reason naming the port.
    bool OpenSerial(const QString& strPort, QString& strError);
    // Opens the UDP link to strHost (A.B.C.D) from nLocalPort on every local
    // address. False with a one-line reason.
    bool OpenUdp(const QString& strHost, int nLocalPort, QString& strError);
    void Close();
    bool IsOpen() const { return m_bSerialOpen || m_bNetOpen; }
    bool IsNetwork() const { return m_bNetOpen; }
    // The link as messages name it: "COM3 (/dev/ttyUSB2)", "/dev/pts/4",
    // "192.168.1.50:5000"; the last one asked for, opened or not.
    QString Name() const { return m_strName; }

    // Hands one frame to the open link; nothing while none is open.
    void Send(const std::string& strFrame);

    // How the operator chooses another local port; added to the reason when
    // the one asked for is taken.
    void SetLocalPortAdvice(const QString& strAdvice) { m_strLocalPortAdvice = strAdvice; }

    // Each decoded reply, in order.
    void SetReplyHandler(ReplyHandler fn) { m_fnReply = std::move(fn); }
    // Each answer of the switcher, whether or not it changes anything: every
    // datagram from it, every frame end on the serial line, told before the
    // reply it ends is decoded.
    void SetHeardHandler(HeardHandler fn) { m_fnHeard = std::move(fn); }
    // The first error of the serial driver after opening (device gone, write
    // failed), with the driver's text on one line; once per open. It comes
    // after the driver's call that noticed it has returned, so the handler
    // may close or reopen the connection.
    void SetLostHandler(LostHandler fn) { m_fnLost = std::move(fn); }

private:
    void OnReply(const ReplyEvent& event) override;
    void OnDriverError(const QString& strText, UINT nPortNr, int nErrno);
    void OnSerialBytes(const char* pData, std::size_t nLen);
    void OnNetBytes(const char* pData, std::size_t nLen);

    SerialLink& m_serial = TheSerialLink();
    UdpLink& m_net = TheUdpLink();
    bool m_bSerialOpen = false;
    bool m_bNetOpen = false;
    QString m_strName;
    QString m_strLocalPortAdvice;

    bool m_bOpening = false;
    QString m_strOpenError;  // the first driver error while opening
    bool m_bLost = false;    // the loss of this open is reported
    unsigned m_nOpens = 0;   // counts opens and closes: a report queued before one is dropped
    QObject m_context;       // queued reports end with the connection

    ReplyHandler m_fnReply;
    HeardHandler m_fnHeard;
    LostHandler m_fnLost;
};

}  // namespace corvane::link
