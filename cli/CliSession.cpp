#include "CliSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "CliUdpLink.h"
#include "ComPortText.h"
#include "CommandFrames.h"
#include "DeviceState.h"
#include "ReplyAssembler.h"
#include "SendPath.h"
#include "SerialOpenText.h"

namespace {

// The window's serial settings.
constexpr UINT SERIAL_BAUD = 115200;
constexpr DWORD SERIAL_EVENT_MASK = EV_RXCHAR | EV_CTS;
constexpr UINT SERIAL_SEND_BUFFER = 512;

// Resolves the --port text to a port number of the driver. A device path
// that is one of the COM ports' devices keeps that port's name; any other
// path is given to COM1 for this run.
UINT PortNumberFor(const QString& strPort) {
    const int n = corvane::link::ParseComPort(strPort);
    if (n > 0) return static_cast<UINT>(n);
    const std::string strPath = strPort.toStdString();
    for (UINT i = 1; i <= static_cast<UINT>(MaxSerialPortNum); ++i) {
        if (SerialDevicePath(i) == strPath) return i;
    }
    SetSerialDevicePath(1, strPath);
    return 1;
}

// The reason and what to do, as the window's box says them.
QString OpenFailureText(int nErrno, const QString& strPath) {
    const OpenFailureFacts facts = GatherOpenFailureFacts(nErrno, strPath);
    const QString strAdvice = OpenFailureAdvice(facts);
    return strAdvice.isEmpty() ? OpenFailureReason(facts)
                               : QStringLiteral("%1. %2").arg(OpenFailureReason(facts), strAdvice);
}

// The driver's box text on one line, without its "WARNING:" and port number
// (the message names the port already).
QString OneLine(const QString& strBoxText) {
    QString s = strBoxText.simplified();
    if (s.startsWith(QLatin1String("WARNING: "))) s.remove(0, 9);
    const qsizetype nPort = s.lastIndexOf(QLatin1String(" Port: "));
    if (nPort > 0) s.truncate(nPort);
    return s;
}

}  // namespace

CCliSession::CCliSession() {
    // Driver errors come here instead of a message box; while opening they
    // make the open fail, afterwards they end the command that waits. A
    // file that takes no terminal settings is said to be no serial device,
    // not by the name of the step that found it out.
    CSerialPort::SetErrorSink([this](const QString&, const QString& strText, const SerialErrorInfo& info) {
        const QString strNotSerial =
            m_bOpening ? NotSerialDeviceReason(QString::fromStdString(SerialDevicePath(info.nPortNr)), info.nErrno)
                       : QString();
        OnLinkError(strNotSerial.isEmpty() ? OneLine(strText) : strNotSerial);
    });
}

CCliSession::~CCliSession() {
    Close();
    CSerialPort::SetErrorSink(nullptr);
}

int CCliSession::OpenSerial(const QString& strPort, QString& strError) {
    m_strPort = strPort;
    const UINT nPort = PortNumberFor(strPort);
    const QString strPath = QString::fromStdString(SerialDevicePath(nPort));
    m_strLinkName = corvane::link::ParseComPort(strPort) > 0 ? QStringLiteral("%1 (%2)").arg(strPort.toUpper(), strPath) : strPath;
    m_strLinkError.clear();
    // A regular file, a directory ...: said before the open is even tried.
    if (const QString strNotSerial = NotSerialDeviceReason(strPath); !strNotSerial.isEmpty()) {
        strError = QStringLiteral("cannot use %1: %2").arg(m_strLinkName, strNotSerial);
        return EXIT_LINK;
    }
    m_bOpening = true;
    const BOOL bOpened = g_SerialPort.Setup(this, nPort, SERIAL_BAUD, 'N', 8, 1, SERIAL_EVENT_MASK, SERIAL_SEND_BUFFER);
    m_bOpening = false;
    if (!bOpened) {
        strError = QStringLiteral("cannot open %1: %2")
                       .arg(m_strLinkName, OpenFailureText(g_SerialPort.LastOpenErrno(), strPath));
        return EXIT_LINK;
    }
    if (!m_strLinkError.isEmpty()) {
        strError = QStringLiteral("cannot use %1: %2").arg(m_strLinkName, m_strLinkError);
        g_SerialPort.Close();
        return EXIT_LINK;
    }
    if (!g_SerialPort.StartMonitor()) {
        strError = QStringLiteral("cannot start reading %1").arg(m_strLinkName);
        g_SerialPort.Close();
        return EXIT_LINK;
    }
    m_bSerialOpen = true;
    g_bComConnected = 1;
    return EXIT_DONE;
}

int CCliSession::ReopenSerial(QString& strError) {
    Close();
    return OpenSerial(m_strPort, strError);
}

int CCliSession::OpenUdp(const QString& strHost, int nLocalPort, QString& strError) {
    auto* pUdp = new CCliUdpLink(*this);
    if (!pUdp->Open(strHost, nLocalPort, strError)) {
        delete pUdp;
        return EXIT_LINK;
    }
    m_pUdp = pUdp;
    m_strLinkName = pUdp->PeerName();
    g_bNetConnected = 1;
    return EXIT_DONE;
}

void CCliSession::Close() {
    if (m_bSerialOpen) {
        g_bComConnected = 0;
        g_SerialPort.Close();
        m_bSerialOpen = false;
    }
    if (m_pUdp) {
        g_bNetConnected = 0;
        m_pUdp->Close();
        delete m_pUdp;
        m_pUdp = nullptr;
    }
}

void CCliSession::Send(const std::string& strFrame) { SendCommand(strFrame); }

// Replies are decoded only inside the event loop (the serial hand-off and
// the socket both deliver through it), so none can slip in between the send
// and the wait.
bool CCliSession::Exchange(const std::string& strFrame, const ReplyPredicate& fnDone, int nTimeoutMs) {
    const unsigned nMark = Mark();
    Send(strFrame);
    return WaitFor(fnDone, nTimeoutMs, nMark);
}

bool CCliSession::WaitFor(const ReplyPredicate& fnDone, int nTimeoutMs, unsigned nFromMark) {
    // Replies since the mark that are still remembered.
    const unsigned nOldest = m_nEvents > RECENT_EVENTS ? m_nEvents - RECENT_EVENTS : 0;
    for (unsigned n = std::max(nFromMark, nOldest); n < m_nEvents; ++n) {
        if (fnDone(m_aRecent[n % RECENT_EVENTS])) return true;
    }
    if (m_bInterrupted || !m_strLinkError.isEmpty()) return false;
    m_fnWaiting = fnDone;
    m_bDone = false;
    QEventLoop loop;
    QTimer timer;
    if (nTimeoutMs >= 0) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(nTimeoutMs);
    }
    m_pLoop = &loop;
    loop.exec();
    m_pLoop = nullptr;
    m_fnWaiting = nullptr;
    return m_bDone;
}

bool CCliSession::Pause(int nMs) {
    if (m_bInterrupted) return false;
    QEventLoop loop;
    QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
    m_pLoop = &loop;
    loop.exec();
    m_pLoop = nullptr;
    return !m_bInterrupted;
}

void CCliSession::Interrupt() {
    m_bInterrupted = true;
    if (m_pLoop) m_pLoop->quit();
}

void CCliSession::OnLinkError(const QString& strText) {
    if (m_strLinkError.isEmpty()) m_strLinkError = strText;
    if (!m_bOpening && m_pLoop) m_pLoop->quit();
}

void CCliSession::Emit(ReplyKind kind, int n) {
    m_nShownOutputs = 0;
    const ReplyEvent ev{kind, n};
    m_aRecent[m_nEvents % RECENT_EVENTS] = ev;
    ++m_nEvents;
    if (m_fnListener) m_fnListener(ev);
    if (m_fnWaiting && !m_bDone && m_fnWaiting(ev)) {
        m_bDone = true;
        if (m_pLoop) m_pLoop->quit();
    }
}

// ---------------------------------------------------------------- receiving

LRESULT CCliSession::OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM /*lParam*/) {
    if (nMessage != WM_PORT_RXCHAR) return 0;
    const BYTE c = static_cast<BYTE>(wParam & 0xFF);
    // Told before the frame is decoded, so "answers again" comes before
    // what the answer changed.
    if (c == '#' && m_fnHeard) m_fnHeard();
    RxFeedChar(c, *this);
    return 0;
}

// Only datagrams from the chosen switcher come here.
void CCliSession::OnNetRxData(WPARAM wParam) {
    if (m_fnHeard) m_fnHeard();
    RxFeedNetBuffer(wParam, *this);
}

// The decoder's calls for each register, in its order:
//   0x00..0x03  ShowOutputSource(n), PortSetEndWait
//   0x04        ShowOutputSource x4, "Load all ports success!", PortSetEndWait
//   0x05..0x08  RefreshEdidInput(n), EdidEndWait, "Load success!"
//   0x09 (01)   (end waits or ack timers), "Set success!"
//   0x0E        ShowOutputSource x4, PortSetEndWait, RefreshEdidInput x4,
//               EdidEndWait, ShowDeviceName, "Load All config data success!", GetIpConfig
//   0x10 SetDebugMode, 0x20 ShowDeviceName, 0x40 ShowNetParams,
//   0x52 (changed) ReadAllConfig
void CCliSession::ShowOutputSource(int nOutput) {
    ++m_nShownOutputs;
    m_nLastShownOutput = nOutput;
}

void CCliSession::PortSetEndWait() {
    if (m_nShownOutputs == 1) Emit(ReplyKind::OutputSource, m_nLastShownOutput);
}

void CCliSession::RefreshEdidInput(int nInput) { m_nLastEdidInput = nInput; }

void CCliSession::LogToPages(const char* pszText, int /*nTarget*/) {
    const QLatin1String strText(pszText);
    if (strText == QLatin1String(LOG_ALL_PORTS_LOADED))
        Emit(ReplyKind::AllOutputs);
    else if (strText == QLatin1String(LOG_EDID_LOADED))
        Emit(ReplyKind::Edid, m_nLastEdidInput);
    else if (strText == QLatin1String(LOG_SET_DONE))
        Emit(ReplyKind::Ack);
}

void CCliSession::ShowDeviceName() { Emit(ReplyKind::Name); }
void CCliSession::ShowNetParams() { Emit(ReplyKind::NetParams); }
void CCliSession::SetDebugMode(int nMode) { Emit(ReplyKind::Debug, nMode); }

// After the whole configuration the window reads the network parameters
// too; so does the command line, so a load is the same exchange.
void CCliSession::GetIpConfig() {
    Emit(ReplyKind::AllConfig);
    Send(Frames::Read(Frames::NET_PARAMS_REG));
}

// The change counter moved: reload the whole configuration, as the window does.
void CCliSession::ReadAllConfig() {
    Emit(ReplyKind::CounterChanged);
    Send(Frames::Read(Frames::REG_ALL_CONFIG));
}
