#include "link/Connection.h"

#include <QTimer>

#include "link/ComPortText.h"
#include "link/DeviceState.h"
#include "link/Ipv4Text.h"
#include "link/ReplyAssembler.h"
#include "link/SendPath.h"
#include "link/SerialOpenText.h"
#include "link/Sock_UDP.h"
#include "link/UdpOpenText.h"

namespace corvane::link {

namespace {

// The driver's port number for a "COMn" name or a device path. A path that
// is one of the COM ports' devices keeps that port; any other path is given
// to COM1 for as long as it is used.
UINT PortNumberFor(const QString& strPort) {
    const int n = ParseComPort(strPort);
    if (n > 0) return static_cast<UINT>(n);
    const std::string strPath = strPort.toStdString();
    for (UINT i = 1; i <= static_cast<UINT>(MaxSerialPortNum); ++i) {
        if (SerialDevicePath(i) == strPath) return i;
    }
    SetSerialDevicePath(1, strPath);
    return 1;
}

}  // namespace

QString DriverErrorLine(const QString& strDriverText) {
    QString s = strDriverText.simplified();
    if (s.startsWith(QLatin1String("WARNING: "))) s.remove(0, 9);
    const qsizetype nPort = s.lastIndexOf(QLatin1String(" Port: "));
    if (nPort > 0) s.truncate(nPort);
    return s;
}

Connection::Connection() {
    // Driver errors come here instead of a message box: while opening they
    // make the open fail, afterwards they are the loss of the link.
    CSerialPort::SetErrorSink([this](const QString&, const QString& strText, const SerialErrorInfo& info) {
        OnDriverError(strText, info.nPortNr, info.nErrno);
    });
    m_serial.SetBytesHandler([this](const char* pData, std::size_t nLen) { OnSerialBytes(pData, nLen); });
    m_net.SetBytesHandler([this](const char* pData, std::size_t nLen) { OnNetBytes(pData, nLen); });
}

Connection::~Connection() {
    Close();
    CSerialPort::SetErrorSink(nullptr);
    m_serial.SetBytesHandler(nullptr);
    m_net.SetBytesHandler(nullptr);
}

bool Connection::OpenSerial(const QString& strPort, QString& strError) {
    Close();
    const UINT nPort = PortNumberFor(strPort);
    const QString strPath = QString::fromStdString(SerialDevicePath(nPort));
    m_strName = ParseComPort(strPort) > 0 ? QStringLiteral("%1 (%2)").arg(strPort.toUpper(), strPath) : strPath;
    // A regular file, a directory ...: said before the open is even tried.
    if (const QString strNotSerial = NotSerialDeviceReason(strPath); !strNotSerial.isEmpty()) {
        strError = QStringLiteral("cannot use %1: %2").arg(m_strName, strNotSerial);
        return false;
    }
    m_strOpenError.clear();
    m_bOpening = true;
    m_serial.SetPort(nPort);
    const bool bSetUp = m_serial.Setup();
    m_bOpening = false;
    if (!bSetUp) {
        const OpenFailureFacts facts = GatherOpenFailureFacts(g_SerialPort.LastOpenErrno(), strPath);
        strError = QStringLiteral("cannot open %1: %2").arg(m_strName, OpenFailureText(facts));
        return false;
    }
    // Set up, but not usable: closed again at once.
    QString strUnusable;
    if (!m_strOpenError.isEmpty())
        strUnusable = QStringLiteral("cannot use %1: %2").arg(m_strName, m_strOpenError);
    else if (!m_serial.Start())
        strUnusable = QStringLiteral("cannot start reading %1").arg(m_strName);
    if (!strUnusable.isEmpty()) {
        m_serial.Close();
        strError = strUnusable;
        return false;
    }
    m_bSerialOpen = true;
    m_bLost = false;
    return true;
}

bool Connection::OpenUdp(const QString& strHost, int nLocalPort, QString& strError) {
    Close();
    const std::optional<Ipv4> ip = ParseIpv4(strHost.toStdString());
    if (!ip) {
        strError = QStringLiteral("%1 is not an address A.B.C.D").arg(strHost);
        return false;
    }
    m_net.SetEndpoint(nLocalPort, Ipv4HostOrder(*ip));
    if (!m_net.Open()) {
        strError = UdpPortOpenError(nLocalPort, m_strLocalPortAdvice);
        return false;
    }
    m_bNetOpen = true;
    m_bLost = false;
    m_strName = UdpPeerName(g_dwHostIp, DEVICE_UDP_PORT);
    return true;
}

void Connection::Close() {
    ++m_nOpens;
    if (m_bSerialOpen) {
        m_serial.Close();
        m_bSerialOpen = false;
    }
    if (m_bNetOpen) {
        m_net.Close();
        m_bNetOpen = false;
    }
}

void Connection::Send(const std::string& strFrame) {
    if (IsOpen()) SendCommand(strFrame);
}

// While opening, a file that takes no terminal settings is said to be no
// serial device, not by the name of the step that found it out.
void Connection::OnDriverError(const QString& strText, UINT nPortNr, int nErrno) {
    if (m_bOpening) {
        if (!m_strOpenError.isEmpty()) return;
        m_strOpenError = NotSerialDeviceReason(QString::fromStdString(SerialDevicePath(nPortNr)), nErrno);
        if (m_strOpenError.isEmpty()) m_strOpenError = DriverErrorLine(strText);
        return;
    }
    if (!m_bSerialOpen || m_bLost) return;
    m_bLost = true;
    const unsigned nOpen = m_nOpens;
    const QString strReason = strText.simplified();
    QTimer::singleShot(0, &m_context, [this, nOpen, strReason] {
        if (nOpen == m_nOpens && m_fnLost) m_fnLost(strReason);
    });
}

void Connection::OnReply(const ReplyEvent& event) {
    if (m_fnReply) m_fnReply(event);
}

// The serial link hands over one character at a time. A '#' is told before
// the frame is decoded, so "answers again" comes before what the answer changed.
void Connection::OnSerialBytes(const char* pData, std::size_t nLen) {
    for (std::size_t i = 0; i < nLen; ++i) {
        const BYTE c = static_cast<BYTE>(pData[i]);
        if (c == '#' && m_fnHeard) m_fnHeard();
        RxFeedChar(c, *this);
    }
}

// One datagram of the chosen switcher.
void Connection::OnNetBytes(const char* pData, std::size_t nLen) {
    if (m_fnHeard) m_fnHeard();
    RxFeedBytes(pData, nLen, *this);
}

}  // namespace corvane::link
