#include "cli/CliSession.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <variant>
#include <vector>

#include "cli/CliOptions.h"
#include "link/CommandFrames.h"

namespace corvane::cli {

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

}  // namespace

Session::Session() {
    m_link.SetLocalPortAdvice(LocalPortAdvice());
    m_link.SetReplyHandler([this](const corvane::link::ReplyEvent& event) { OnReply(event); });
    m_link.SetHeardHandler([this] {
        if (m_fnHeard) m_fnHeard();
    });
    m_link.SetLostHandler([this](const QString& strReason) { OnLinkLost(strReason); });
}

Session::~Session() = default;

int Session::OpenSerial(const QString& strPort, QString& strError) {
    m_strPort = strPort;
    m_strLinkError.clear();
    return m_link.OpenSerial(strPort, strError) ? EXIT_DONE : EXIT_LINK;
}

int Session::ReopenSerial(QString& strError) { return OpenSerial(m_strPort, strError); }

int Session::OpenUdp(const QString& strHost, int nLocalPort, QString& strError) {
    m_strLinkError.clear();
    return m_link.OpenUdp(strHost, nLocalPort, strError) ? EXIT_DONE : EXIT_LINK;
}

// Replies are decoded only inside the event loop (the serial hand-off and
// the socket both deliver through it), so none can slip in between the send
// and the wait.
bool Session::Exchange(const std::string& strFrame, const ReplyPredicate& fnDone, int nTimeoutMs) {
    const unsigned nMark = Mark();
    Send(strFrame);
    return WaitFor(fnDone, nTimeoutMs, nMark);
}

bool Session::WaitFor(const ReplyPredicate& fnDone, int nTimeoutMs, unsigned nFromMark) {
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

bool Session::Pause(int nMs) {
    if (m_bInterrupted) return false;
    QEventLoop loop;
    QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
    m_pLoop = &loop;
    loop.exec();
    m_pLoop = nullptr;
    return !m_bInterrupted;
}

void Session::Interrupt() {
    m_bInterrupted = true;
    if (m_pLoop) m_pLoop->quit();
}

// The message names the link already: the driver's text without its port.
void Session::OnLinkLost(const QString& strReason) {
    if (m_strLinkError.isEmpty()) m_strLinkError = corvane::link::DriverErrorLine(strReason);
    if (m_pLoop) m_pLoop->quit();
}

void Session::Emit(ReplyKind kind, int n) {
    const ReplyEvent ev{kind, n};
    m_aRecent[m_nEvents % RECENT_EVENTS] = ev;
    ++m_nEvents;
    if (m_fnListener) m_fnListener(ev);
    if (m_fnWaiting && !m_bDone && m_fnWaiting(ev)) {
        m_bDone = true;
        if (m_pLoop) m_pLoop->quit();
    }
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

void Session::OnReply(const corvane::link::ReplyEvent& event) {
    const CliReaction reaction = std::visit([](const auto& body) { return React(body); }, event.body);
    for (const auto& [kind, n] : reaction.events) Emit(kind, n);
    if (reaction.nFollowUpRegister >= 0) Send(Frames::Read(reaction.nFollowUpRegister));
}

}  // namespace corvane::cli
