#include "cli/CliSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <variant>
#include <vector>

#include "cli/CliUdpLink.h"
#include "link/ComPortText.h"
#include "link/CommandFrames.h"
#include "link/DeviceState.h"
#include "link/ReplyAssembler.h"
#include "link/SendPath.h"
#include "link/SerialOpenText.h"
#include "link/Sock_UDP.h"

namespace {

using corvane::link::AckReply;
using corvane::link::AllConfigReply;
using corvane::link::AllOutputsReply;
using corvane::link::ChangeCounterReply;
using corvane::link::DebugModeReply;
using corvane::link::DeviceNameReply;
using corvane::link::EdidReply;
using corvane::link::NetParamsReply;
using corvane::link::OtherReply;
using corvane::link::OutputSourceReply;

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
    m_serial.SetBytesHandler([this](const char* pData, std::size_t nLen) { OnSerialBytes(pData, nLen); });
    m_net.SetBytesHandler([this](const char* pData, std::size_t nLen) { OnNetBytes(pData, nLen); });
}

CCliSession::~CCliSession() {
    Close();
    CSerialPort::SetErrorSink(nullptr);
    m_serial.SetBytesHandler(nullptr);
    m_net.SetBytesHandler(nullptr);
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
    m_serial.SetPort(nPort);
    const bool bOpened = m_serial.Setup();
    m_bOpening = false;
    if (!bOpened) {
        const OpenFailureFacts facts = GatherOpenFailureFacts(g_SerialPort.LastOpenErrno(), strPath);
        strError = QStringLiteral("cannot open %1: %2").arg(m_strLinkName, OpenFailureText(facts));
        return EXIT_LINK;
    }
    if (!m_strLinkError.isEmpty()) {
        strError = QStringLiteral("cannot use %1: %2").arg(m_strLinkName, m_strLinkError);
        m_serial.Close();
        return EXIT_LINK;
    }
    if (!m_serial.Start()) {
        strError = QStringLiteral("cannot start reading %1").arg(m_strLinkName);
        m_serial.Close();
        return EXIT_LINK;
    }
    m_bSerialOpen = true;
    return EXIT_DONE;
}

int CCliSession::ReopenSerial(QString& strError) {
    Close();
    return OpenSerial(m_strPort, strError);
}

int CCliSession::OpenUdp(const QString& strHost, int nLocalPort, QString& strError) {
    if (!OpenCliUdpLink(m_net, strHost, nLocalPort, strError)) return EXIT_LINK;
    m_bNetOpen = true;
    m_strLinkName = UdpPeerName(g_dwHostIp, DEVICE_UDP_PORT);
    return EXIT_DONE;
}

void CCliSession::Close() {
    if (m_bSerialOpen) {
        m_serial.Close();
        m_bSerialOpen = false;
    }
    if (m_bNetOpen) {
        m_net.Close();
        m_bNetOpen = false;
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

// The serial link hands over one character at a time. A '#' is told before
// the frame is decoded, so "answers again" comes before what the answer changed.
void CCliSession::OnSerialBytes(const char* pData, std::size_t nLen) {
    for (std::size_t i = 0; i < nLen; ++i) {
        const BYTE c = static_cast<BYTE>(pData[i]);
        if (c == '#' && m_fnHeard) m_fnHeard();
        RxFeedChar(c, *this);
    }
}

// One datagram of the chosen switcher.
void CCliSession::OnNetBytes(const char* pData, std::size_t nLen) {
    if (m_fnHeard) m_fnHeard();
    RxFeedBytes(pData, nLen, *this);
}

namespace {

// The command-line event of one reply and the read that follows it; a reply
// no command waits for (an unchanged counter, an ack without data 01,
// another register) gives none.
struct CliReaction {
    std::vector<std::pair<ReplyKind, int>> events;
    int nFollowUpRegister = -1;
};

CliReaction React(const OutputSourceReply& r) { return {{{ReplyKind::OutputSource, r.output}}}; }
CliReaction React(const AllOutputsReply&) { return {{{ReplyKind::AllOutputs, 0}}}; }
CliReaction React(const EdidReply& r) { return {{{ReplyKind::Edid, r.input}}}; }
CliReaction React(const AckReply& r) {
    if (!r.Acknowledged()) return {};
    return {{{ReplyKind::Ack, 0}}};
}
// After the whole configuration the window reads the network parameters
// too; so does the command line, so a load is the same exchange.
CliReaction React(const AllConfigReply&) {
    return {{{ReplyKind::Name, 0}, {ReplyKind::AllConfig, 0}}, Frames::NET_PARAMS_REG};
}
CliReaction React(const DebugModeReply& r) { return {{{ReplyKind::Debug, r.mode}}}; }
CliReaction React(const DeviceNameReply&) { return {{{ReplyKind::Name, 0}}}; }
CliReaction React(const NetParamsReply&) { return {{{ReplyKind::NetParams, 0}}}; }
// The change counter moved: reload the whole configuration, as the window does.
CliReaction React(const ChangeCounterReply& r) {
    if (!r.Changed()) return {};
    return {{{ReplyKind::CounterChanged, 0}}, Frames::REG_ALL_CONFIG};
}
CliReaction React(const OtherReply&) { return {}; }

}  // namespace

void CCliSession::OnReply(const corvane::link::ReplyEvent& event) {
    if (m_fnTap) m_fnTap(event);
    const CliReaction reaction = std::visit([](const auto& body) { return React(body); }, event.body);
    for (const auto& [kind, n] : reaction.events) Emit(kind, n);
    if (m_bFollowUps && reaction.nFollowUpRegister >= 0) Send(Frames::Read(reaction.nFollowUpRegister));
}
