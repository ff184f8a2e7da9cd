#include "link/SerialPort.h"

#include <QLoggingCategory>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include "link/FrameTrace.h"
#include "link/PosixTty.h"
#include "link/SerialProfile.h"

// Trace lines are debug messages, off unless QT_LOGGING_RULES="corvane.serial.debug=true".
Q_LOGGING_CATEGORY(lcSerial, "corvane.serial", QtInfoMsg)

CSerialPort g_SerialPort;
BYTE g_bSendFailed;

namespace {

// Set on a monitor thread for its lifetime: errors met there are shown
// through the hand-off, errors met on the GUI thread (Setup) directly.
thread_local bool t_bOnMonitorThread = false;

// The latch is set on the monitor thread and read on the GUI thread.
BYTE LoadSendFailed() { return std::atomic_ref<BYTE>(g_bSendFailed).load(); }
void StoreSendFailed(BYTE b) { std::atomic_ref<BYTE>(g_bSendFailed).store(b); }

SerialErrorSink& ErrorSink() {
    static SerialErrorSink fnSink;
    return fnSink;
}

// A failed precondition names itself and makes the call fail; it never ends
// the program.
void AssertFailed(const char* pszCondition) {
    qCCritical(lcSerial).noquote() << "Assertion failed:" << pszCondition;
}

void Trace(const QString& strLine) {
    QString s = strLine;
    if (s.endsWith('\n')) s.chop(1);
    qCDebug(lcSerial).noquote() << s;
}

QString ErrorText(int nErr) {
    char buf[256];
    return QString::fromLocal8Bit(strerror_r(nErr, buf, sizeof buf));
}

void SignalEvent(int fd) {
    if (fd < 0) return;
    const uint64_t one = 1;
    ssize_t n = write(fd, &one, sizeof one);
    (void)n;
}

void ResetEvent(int fd) {
    if (fd < 0) return;
    uint64_t v;
    ssize_t n = read(fd, &v, sizeof v);
    (void)n;
}

// Frames WriteText keeps while the monitor thread is busy or not running;
// senders issue one frame per operator action, so this is never reached in
// normal use and only bounds memory when no thread transmits.
constexpr size_t MAX_QUEUED_FRAMES = 64;

using corvane::link::WRITE_TIMEOUT_CONSTANT_MS;
using corvane::link::WRITE_TIMEOUT_PER_CHAR_MS;

// Status notifications, in the order they are sent on a port wake-up.
struct StatusNotification {
    DWORD dwEvent;
    UINT nMessage;
};
constexpr StatusNotification STATUS_NOTIFICATIONS[] = {
    {EV_CTS, WM_USER + 2}, {EV_RXFLAG, WM_USER + 8}, {EV_BREAK, WM_USER + 1},
    {EV_ERR, WM_USER + 4}, {EV_RING, WM_USER + 5},
};

} // namespace

namespace {

std::string& ExplicitPath(UINT nPortNr) {
    static std::string aPaths[MaxSerialPortNum + 1];
    return aPaths[nPortNr];
}

bool ValidPortNr(UINT nPortNr) { return nPortNr >= 1 && nPortNr <= static_cast<UINT>(MaxSerialPortNum); }

}  // namespace

void SetSerialDevicePath(UINT nPortNr, const std::string& strPath) {
    if (ValidPortNr(nPortNr)) ExplicitPath(nPortNr) = strPath;
}

QString SerialLinkName(UINT nPortNr) {
    const QString strPath = QString::fromStdString(SerialDevicePath(nPortNr));
    if (ValidPortNr(nPortNr) && !ExplicitPath(nPortNr).empty()) return strPath;
    return QStringLiteral("COM%1:%2").arg(nPortNr).arg(strPath);
}

std::string SerialDevicePath(UINT nPortNr) {
    if (!ValidPortNr(nPortNr)) return {};
    if (const std::string& strExplicit = ExplicitPath(nPortNr); !strExplicit.empty()) return strExplicit;
    char szVar[32];
    snprintf(szVar, sizeof szVar, "CORVANE_COM%u", nPortNr);
    if (const char* pszPath = getenv(szVar); pszPath && *pszPath) return pszPath;
    static const char* const families[] = {"/dev/ttyUSB", "/dev/ttyACM", "/dev/ttyS"};
    return families[(nPortNr - 1) / 10] + std::to_string((nPortNr - 1) % 10);
}

CSerialPort::CSerialPort() : m_commState(std::make_unique<termios>()) {
    // Constructs the logging category now, so that it outlives this object
    // when it is a global (the destructor traces at process exit).
    lcSerial();
}

CSerialPort::~CSerialPort() {
    StopMonitor();  // traces "Thread ended" when a thread was running
    ClosePort();
    CloseEvents();
}

// ---------------------------------------------------------------- set-up

BOOL CSerialPort::Setup(ISerialOwner* pPortOwner, UINT portnr, UINT nBaud, char cParity, UINT nDataBits,
                        UINT nStopBits, DWORD dwEventMask, UINT nSendBufferSize) {
    if (pPortOwner == nullptr) {
        AssertFailed("pPortOwner != NULL");
        return FALSE;
    }
    if (!(portnr > 0 && portnr < MaxSerialPortNum + 1)) {
        AssertFailed("portnr > 0 && portnr < MaxSerialPortNum+1");
        return FALSE;
    }
    StopMonitor();
    if (!RecreateEvents()) {
        m_nLastOpenErrno = errno;
        ClosePort();
        return FALSE;
    }

    m_pOwnerWnd = pPortOwner;
    const UINT nBufferSize = nSendBufferSize > 0 ? nSendBufferSize : 1;
    m_pSendBuffer = std::make_unique<char[]>(nBufferSize);
    m_portnr = portnr;
    m_strLinkName = SerialLinkName(portnr);
    m_nSendBufferSize = static_cast<int>(nBufferSize);
    m_dwEventMask = dwEventMask;
    {
        std::lock_guard lk(m_csSendQueue);
        m_sendQueue.clear();
    }

    const char* pszFailed = nullptr;
    int nFailErrno = 0;
    {
        std::lock_guard lk(m_csPort);
        if (m_hComm >= 0) {
            TtyCloseExclusive(m_hComm);
            m_hComm = -1;
        }
        const std::string strPath = SerialDevicePath(portnr);
        int fd = TtyOpenExclusive(strPath);
        if (fd < 0) {
            m_nLastOpenErrno = errno;
            return FALSE;
        }
        m_nLastOpenErrno = 0;
        m_hComm = fd;
        if (!ConfigurePort(nBaud, cParity, nDataBits, nStopBits, pszFailed)) nFailErrno = errno;
        TtyPurge(m_hComm);
    }
    // Reported outside the lock: the box runs a nested event loop.
    if (pszFailed) ReportError(pszFailed, nFailErrno);
    Trace(QString::asprintf("Initialisation for communicationport %d completed.\nUse Startmonitor to communicate.\n",
                            portnr));
    return TRUE;
}

// The five steps in order; the first that fails names itself in pszFailed and
// the rest are skipped.
BOOL CSerialPort::ConfigurePort(UINT nBaud, char cParity, UINT nDataBits, UINT nStopBits, const char*& pszFailed) {
    char szSettings[80];
    snprintf(szSettings, sizeof szSettings, "baud=%d parity=%c data=%d stop=%d", static_cast<int>(nBaud), cParity,
             static_cast<int>(nDataBits), static_cast<int>(nStopBits));
    pszFailed = nullptr;
    if (TtySetTimeouts(m_hComm) != 0)
        pszFailed = "SetCommTimeouts()";
    else if (TtyCheckEventMask(m_dwEventMask) != 0)
        pszFailed = "SetCommMask()";
    else if (TtyGetState(m_hComm, *m_commState) != 0)
        pszFailed = "GetCommState()";
    else if (TtyBuildState(*m_commState, szSettings) != 0)
        pszFailed = "BuildCommDCB()";
    else if (TtySetState(m_hComm, *m_commState, /*bRts=*/true) != 0)
        pszFailed = "SetCommState()";
    return pszFailed == nullptr;
}

BOOL CSerialPort::RecreateEvents() {
    CloseEvents();
    m_hStopEvent = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_hSendEvent = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return m_hStopEvent >= 0 && m_hSendEvent >= 0;
}

void CSerialPort::CloseEvents() {
    for (int* pFd : {&m_hStopEvent, &m_hSendEvent}) {
        if (*pFd >= 0) close(*pFd);
        *pFd = -1;
    }
}

void CSerialPort::ClosePort() {
    std::lock_guard lk(m_csPort);
    TtyCloseExclusive(m_hComm);
    m_hComm = -1;
}

BOOL CSerialPort::IsOpen() const { return m_hComm >= 0; }
QString CSerialPort::LastOpenError() const { return m_nLastOpenErrno ? ErrorText(m_nLastOpenErrno) : QString(); }
int CSerialPort::LastOpenErrno() const { return m_nLastOpenErrno; }

void CSerialPort::SetWriteEcho(std::function<void(const char*)> fnEcho) { m_fnWriteEcho = std::move(fnEcho); }

void CSerialPort::SetErrorSink(SerialErrorSink fnSink) {
    ErrorSink() = std::move(fnSink);
}

// ---------------------------------------------------------------- thread control

BOOL CSerialPort::StartMonitor() {
    // Without a port (or its events) the thread could never be woken to stop.
    if (m_hComm < 0 || m_hStopEvent < 0 || m_hSendEvent < 0) {
        AssertFailed("m_hComm != 0");
        return FALSE;
    }
    StopMonitor();  // never two monitor threads
    StoreSendFailed(0);
    ResetEvent(m_hStopEvent);
    m_bStopRequested = false;
    m_handoff.Rearm();
    try {
        m_pMonitorThread = std::thread(&CSerialPort::MonitorThread, this);
    } catch (const std::system_error&) {
        return FALSE;
    }
    Trace("Thread started\n");
    return TRUE;
}

void CSerialPort::SignalShutdown() {
    m_bStopRequested = true;
    SignalEvent(m_hStopEvent);
    m_handoff.RequestStop();
}

void CSerialPort::Close() {
    StopMonitor();
    ClosePort();
}

// The stop handshake: the stop request wakes the thread in poll and in a
// hand-off alike, so the GUI thread need not dispatch anything while it waits.
void CSerialPort::StopMonitor() {
    if (!m_pMonitorThread.joinable()) return;
    const bool bWasAlive = m_bMonitorAlive;
    while (m_bMonitorAlive) {
        SignalShutdown();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    SignalShutdown();  // covers a thread that has not started running yet
    m_pMonitorThread.join();
    if (bWasAlive) Trace("Thread ended\n");
}

// ---------------------------------------------------------------- send side

void CSerialPort::WriteText(const char* pszText) {
    if (m_hComm < 0) {
        AssertFailed("m_hComm != 0");
        return;
    }
    if (LoadSendFailed()) return;
    if (pszText == nullptr) return;
    const size_t nLen = strlen(pszText);
    // A frame cut to fit would be garbage to the switcher: refuse it whole.
    if (nLen > static_cast<size_t>(m_nSendBufferSize - 1)) {
        qCWarning(lcSerial, "frame of %zu characters does not fit the send buffer (%d); not sent", nLen,
                  m_nSendBufferSize - 1);
        return;
    }
    {
        std::lock_guard lk(m_csSendQueue);
        if (m_sendQueue.size() >= MAX_QUEUED_FRAMES) {
            qCWarning(lcSerial, "%zu frames wait for transmission; frame not sent", m_sendQueue.size());
            return;
        }
        m_sendQueue.emplace_back(pszText, nLen);
    }
    // Wake the monitor before echoing: the echo updates a log window, which
    // need not delay the frame on the wire.
    SignalEvent(m_hSendEvent);
    FrameTrace().Sent(m_strLinkName, pszText, nLen);
    if (m_fnWriteEcho) m_fnWriteEcho(pszText);
}

// Transmits every queued frame, each after a purge of both directions (see
// TtyPurgeForWrite for what that leaves of an earlier frame).
// FALSE when a stop request cut it short.
BOOL CSerialPort::TransmitBuffer() {
    ResetEvent(m_hSendEvent);
    for (;;) {
        if (m_bStopRequested) return FALSE;
        {
            std::lock_guard lk(m_csSendQueue);
            if (m_sendQueue.empty()) return TRUE;
            const std::string& strFrame = m_sendQueue.front();
            memcpy(m_pSendBuffer.get(), strFrame.c_str(), strFrame.size() + 1);
            m_sendQueue.pop_front();
        }
        if (LoadSendFailed()) continue;  // queued before the latch was set
        const int nLen = static_cast<int>(strlen(m_pSendBuffer.get()));
        const int nTimeoutMs = WRITE_TIMEOUT_PER_CHAR_MS * nLen + WRITE_TIMEOUT_CONSTANT_MS;
        int nSent, nErr = 0;
        {
            std::lock_guard lk(m_csPort);
            TtyPurgeForWrite(m_hComm, WRITE_TIMEOUT_CONSTANT_MS, m_hStopEvent);
            nSent = TtyWrite(m_hComm, m_pSendBuffer.get(), nLen, nTimeoutMs, m_hStopEvent);
            if (nSent < 0) nErr = errno;
        }
        if (nSent < 0) {
            StoreSendFailed(1);
            ReportError("WriteFile()", nErr);
            continue;
        }
        if (nSent != nLen)
            Trace(QString::asprintf("WARNING: WriteFile() error.. Bytes Sent: %d; Message Length: %d\n", nSent, nLen));
    }
}

// ---------------------------------------------------------------- monitor thread

void CSerialPort::MonitorThread(CSerialPort* pPort) {
    t_bOnMonitorThread = true;
    pPort->RunMonitor();
}

void CSerialPort::RunMonitor() {
    m_bMonitorAlive = TRUE;
    {
        std::lock_guard lk(m_csPort);
        if (m_hComm >= 0) TtyPurge(m_hComm);
    }
    // Three wake sources; when several are ready the lowest index wins.
    // Without EV_RXCHAR the port is watched for hang-up only: unread input
    // would keep a level-triggered poll awake.
    const short nPortEvents = (m_dwEventMask & EV_RXCHAR) ? POLLIN : 0;
    pollfd fds[3] = {{m_hStopEvent, POLLIN, 0}, {m_hComm, nPortEvents, 0}, {m_hSendEvent, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            ReportError("WaitCommEvent()", errno);
            break;
        }
        if (fds[0].revents || m_bStopRequested) break;
        if (fds[1].revents) {
            if (OnPortEvent(fds[1].revents) != RxResult::Drained) break;
            continue;  // look again: a stop that came meanwhile wins over a send
        }
        if (fds[2].revents && !TransmitBuffer()) break;
    }
    // Ended by itself (device lost): nobody's stop handshake will say so.
    if (!m_bStopRequested) Trace("Thread ended\n");
    m_bMonitorAlive = FALSE;
}

CSerialPort::RxResult CSerialPort::OnPortEvent(short nRevents) {
    for (const StatusNotification& n : STATUS_NOTIFICATIONS)
        if ((m_dwEventMask & n.dwEvent) && !SendOwner(n.nMessage, 0)) return RxResult::Stopped;
    bool bGotByte = false;
    if (nRevents & POLLIN) {
        RxResult r = ReceiveBytes(bGotByte);
        if (r != RxResult::Drained) return r;
    }
    if (nRevents & (POLLHUP | POLLERR | POLLNVAL)) {
        ReportDeviceLost("WaitCommEvent()", ENODEV);
        return RxResult::Lost;
    }
    // poll said readable and there was nothing: with VMIN=0 a read of 0 bytes
    // is only a hang-up when poll reported input, so ask the tty once more.
    if ((nRevents & POLLIN) && !bGotByte) {
        BYTE b;
        ssize_t n;
        {
            std::lock_guard lk(m_csPort);
            n = read(m_hComm, &b, 1);
        }
        if (n == 1) return SendOwner(WM_PORT_RXCHAR, b) ? RxResult::Drained : RxResult::Stopped;
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            ReportDeviceLost("ReadFile()", n == 0 ? ENODEV : errno);
            return RxResult::Lost;
        }
    }
    return RxResult::Drained;
}

// One byte per read, each handed to the owner before the next read, until
// the input queue is empty.
CSerialPort::RxResult CSerialPort::ReceiveBytes(bool& bGotByte) {
    for (;;) {
        if (m_bStopRequested) return RxResult::Stopped;
        int nQueued = 0;
        BYTE b = 0;
        ssize_t n;
        {
            std::lock_guard lk(m_csPort);
            if (TtyInputCount(m_hComm, nQueued) != 0) {
                const int nErr = errno;
                ReportDeviceLost("ReadFile()", nErr);
                return RxResult::Lost;
            }
        }
        if (nQueued == 0) return RxResult::Drained;
        {
            std::lock_guard lk(m_csPort);
            n = read(m_hComm, &b, 1);
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return RxResult::Drained;
        if (n < 0) {
            ReportDeviceLost("ReadFile()", errno);
            return RxResult::Lost;
        }
        if (n == 0) return RxResult::Drained;
        bGotByte = true;
        if (!SendOwner(WM_PORT_RXCHAR, b)) return RxResult::Stopped;
    }
}

BOOL CSerialPort::SendOwner(UINT nMessage, WPARAM wParam) {
    ISerialOwner* pOwner = m_pOwnerWnd;
    const LPARAM lParam = m_portnr;
    // The trace sees each byte on the GUI thread, just before the reply
    // assembler does; m_strLinkName does not change while the thread runs.
    const QString* pLink = &m_strLinkName;
    return m_handoff.Run([pOwner, nMessage, wParam, lParam, pLink] {
        if (nMessage == WM_PORT_RXCHAR) FrameTrace().ReceivedByte(*pLink, static_cast<unsigned char>(wParam));
        pOwner->OnPortMessage(nMessage, wParam, lParam);
    });
}

// The device is gone (adapter pulled, pty closed): one report, frames are
// dropped like after a hard write error, and the monitor thread ends.
void CSerialPort::ReportDeviceLost(const char* pszOperation, int nErr) {
    StoreSendFailed(1);
    ReportError(pszOperation, nErr, /*bDeviceLost=*/true);
}

// ---------------------------------------------------------------- errors

void CSerialPort::ReportError(const char* pszOperation) { ReportError(pszOperation, errno); }

void CSerialPort::ReportError(const char* pszOperation, int nErr, bool bDeviceLost) {
    const QString strText = QString::asprintf("WARNING:  %s Failed with the following error: \n%s\nPort: %d\n",
                                              pszOperation, qPrintable(ErrorText(nErr)), static_cast<int>(m_portnr));
    const SerialErrorInfo info{m_portnr, nErr, bDeviceLost};
    ISerialOwner* pOwner = m_pOwnerWnd;
    auto show = [strText, info, pOwner] {
        const QString strCaption = QStringLiteral("Application Error");
        if (ErrorSink())
            ErrorSink()(strCaption, strText, info);
        else
            qCWarning(lcSerial).noquote() << strCaption + ": " + strText;
        if (info.bDeviceLost && pOwner) pOwner->OnDeviceLost(strText);
    };
    // The box belongs to the GUI thread; the monitor thread waits for it to be
    // closed, or for a stop request. On the GUI thread the hand-off is not
    // used: its stop request, left set when a monitor was stopped, would
    // swallow the box of a later Setup.
    if (t_bOnMonitorThread)
        m_handoff.Run(show);
    else
        show();
}
