#include "cli/CliRunner.h"

#include <QJsonObject>
#include <cstring>

#include "cli/CliFormat.h"
#include "link/CommandFrames.h"
#include "link/DeviceNameText.h"

namespace corvane::cli {

namespace {

bool Is(const ReplyEvent& ev, ReplyKind kind) { return ev.kind == kind; }
bool Is(const ReplyEvent& ev, ReplyKind kind, int n) { return ev.kind == kind && ev.n == n; }

// How the switcher confirmed a write: its acknowledgement, or the register
// read back.
QString AnswerWord(ReplyKind kind) {
    return kind == ReplyKind::Ack ? QStringLiteral("ack") : QStringLiteral("read-back");
}

}  // namespace

int Runner::NoAnswer(const QString& strWhat) {
    QString strText;
    if (m_s.Interrupted())
        strText = QStringLiteral("interrupted while waiting for %1").arg(strWhat);
    else if (!m_s.LinkError().isEmpty())
        strText = QStringLiteral("%1 failed: %2").arg(m_s.LinkName(), m_s.LinkError());
    else
        strText = QStringLiteral("no answer to %1 from the switcher on %2 within %3 s")
                      .arg(strWhat, m_s.LinkName())
                      .arg(m_o.nTimeoutMs / 1000.0);
    m_out.Error(m_o.strCommand, strText);
    return EXIT_NO_ANSWER;
}

int Runner::Refused(const QString& strText) {
    m_out.Error(m_o.strCommand, QStringLiteral("the switcher refused: %1").arg(strText));
    return EXIT_NO_ANSWER;
}

bool Runner::Write(const std::string& strFrame, const ReplyPredicate& fnReadBack, ReplyKind& answer) {
    auto done = [&](const ReplyEvent& ev) {
        const bool bMatch = Is(ev, ReplyKind::Ack) || fnReadBack(ev);
        if (bMatch) answer = ev.kind;
        return bMatch;
    };
    return m_s.Exchange(strFrame, done, m_o.nTimeoutMs);
}

int Runner::Status() {
    const bool bOk = m_s.Exchange(
        Frames::Status(),
        [](const ReplyEvent& ev) { return Is(ev, ReplyKind::AllOutputs) || Is(ev, ReplyKind::AllConfig); },
        m_o.nTimeoutMs);
    if (!bOk) return NoAnswer(QStringLiteral("the routing request"));
    QJsonObject obj;
    obj[QStringLiteral("routing")] = RoutingJson();
    m_out.Result(m_o.strCommand, obj, RoutingText());
    return EXIT_DONE;
}

int Runner::Route() {
    const int nOut = m_o.route.nOutput, nIn = m_o.route.nInput;
    const bool bAll = nOut < 0;
    ReplyKind answer = ReplyKind::Ack;
    auto readBack = [&](const ReplyEvent& ev) {
        return Is(ev, ReplyKind::AllOutputs) || (!bAll && Is(ev, ReplyKind::OutputSource, nOut));
    };
    if (!Write(bAll ? Frames::AllOutputs(nIn) : Frames::Route(nOut, nIn), readBack, answer))
        return NoAnswer(QStringLiteral("the routing command"));
    // A read-back says what the switcher did, which may not be what was asked.
    if (answer != ReplyKind::Ack) {
        for (int n = 0; n < OUTPUT_COUNT; ++n) {
            if ((bAll || n == nOut) && g_nOutputSource[n] != nIn)
                return Refused(QStringLiteral("output %1 stays on input %2").arg(n + 1).arg(g_nOutputSource[n] + 1));
        }
    }
    QJsonObject obj;
    obj[QStringLiteral("output")] = bAll ? QJsonValue(QStringLiteral("all")) : QJsonValue(nOut + 1);
    obj[QStringLiteral("input")] = nIn + 1;
    obj[QStringLiteral("answer")] = AnswerWord(answer);
    const QString strText = bAll ? QStringLiteral("All outputs: input %1").arg(nIn + 1)
                                 : QStringLiteral("Output %1: input %2").arg(nOut + 1).arg(nIn + 1);
    m_out.Result(m_o.strCommand, obj, strText);
    return EXIT_DONE;
}

int Runner::Edid() {
    const int n = m_o.edid.nInput;
    const int nRegister = EDID_REG_BASE + n;
    if (!m_o.edid.bWrite) {
        if (!m_s.Exchange(
                Frames::Read(nRegister), [n](const ReplyEvent& ev) { return Is(ev, ReplyKind::Edid, n); },
                m_o.nTimeoutMs))
            return NoAnswer(QStringLiteral("the EDID request"));
        m_out.Result(m_o.strCommand, EdidJson(n), EdidText(n));
        return EXIT_DONE;
    }
    ReplyKind answer = ReplyKind::Ack;
    if (!Write(
            Frames::EdidApply(nRegister, m_o.edid.nMode, m_o.edid.nFlags),
            [n](const ReplyEvent& ev) { return Is(ev, ReplyKind::Edid, n); }, answer))
        return NoAnswer(QStringLiteral("the EDID command"));
    const EdidSetting applied{m_o.edid.nMode, m_o.edid.nFlags};
    if (answer == ReplyKind::Edid && !SameEdid(g_EdidSetting[n], applied))
        return Refused(QStringLiteral("input %1 stays at %2")
                           .arg(n + 1)
                           .arg(EdidDescription(g_EdidSetting[n].nMode, g_EdidSetting[n].nFlags)));
    // What was applied is what the device state now holds.
    g_EdidSetting[n] = applied;
    QJsonObject obj = EdidJson(n);
    obj[QStringLiteral("answer")] = AnswerWord(answer);
    m_out.Result(m_o.strCommand, obj, EdidText(n));
    return EXIT_DONE;
}

int Runner::Name() {
    if (!m_o.name) {
        if (!m_s.Exchange(
                Frames::Read(Frames::REG_DEVICE_NAME), [](const ReplyEvent& ev) { return Is(ev, ReplyKind::Name); },
                m_o.nTimeoutMs))
            return NoAnswer(QStringLiteral("the name request"));
    } else {
        BYTE abName[DEVICE_NAME_LEN];
        DeviceNameFromText(*m_o.name, abName);
        ReplyKind answer = ReplyKind::Ack;
        if (!Write(
                Frames::DeviceNameWrite(abName), [](const ReplyEvent& ev) { return Is(ev, ReplyKind::Name); }, answer))
            return NoAnswer(QStringLiteral("the new name"));
        if (answer == ReplyKind::Name && std::memcmp(abName, g_DeviceName, DEVICE_NAME_LEN) != 0)
            return Refused(QStringLiteral("the name stays \"%1\"").arg(DeviceNameShown(DeviceNameTrimmed())));
        std::memcpy(g_DeviceName, abName, DEVICE_NAME_LEN);
    }
    QJsonObject obj;
    obj[QStringLiteral("name")] = DeviceNameTrimmed();
    m_out.Result(m_o.strCommand, obj, QStringLiteral("Name: %1").arg(DeviceNameShown(DeviceNameTrimmed())));
    return EXIT_DONE;
}

int Runner::Net() {
    auto isNet = [](const ReplyEvent& ev) { return Is(ev, ReplyKind::NetParams); };
    // A save sends all 19 bytes: the MAC address and the values not given
    // come from the switcher, read first.
    if (!m_s.Exchange(Frames::Read(Frames::NET_PARAMS_REG), isNet, m_o.nTimeoutMs))
        return NoAnswer(QStringLiteral("the network parameter request"));
    if (m_o.net.IsWrite()) {
        NetParams params = g_NetParams;
        if (m_o.net.ip) std::memcpy(params.abIp, m_o.net.ip->data(), 4);
        if (m_o.net.mask) std::memcpy(params.abMask, m_o.net.mask->data(), 4);
        if (m_o.net.gateway) std::memcpy(params.abGateway, m_o.net.gateway->data(), 4);
        if (m_o.net.dhcp) params.bDhcp = *m_o.net.dhcp ? 1 : 0;
        ReplyKind answer = ReplyKind::Ack;
        if (!Write(Frames::NetParamsWrite(params), isNet, answer))
            return NoAnswer(QStringLiteral("the network parameters"));
        if (answer == ReplyKind::NetParams && std::memcmp(&params, &g_NetParams, sizeof params) != 0)
            return Refused(QStringLiteral("the network parameters stay as they were"));
        g_NetParams = params;
    }
    m_out.Result(m_o.strCommand, NetJson(), NetText());
    return EXIT_DONE;
}

int Runner::Power() {
    const char* pszFrame = m_o.bPowerOn ? Frames::POWER_ON : Frames::POWER_OFF;
    if (!m_s.Exchange(
            pszFrame, [](const ReplyEvent& ev) { return Is(ev, ReplyKind::Ack); }, m_o.nTimeoutMs))
        return NoAnswer(QStringLiteral("the power command"));
    QJsonObject obj;
    obj[QStringLiteral("power")] = m_o.bPowerOn ? QStringLiteral("on") : QStringLiteral("off");
    m_out.Result(m_o.strCommand, obj,
                 m_o.bPowerOn ? QStringLiteral("Power up acknowledged") : QStringLiteral("Power down acknowledged"));
    return EXIT_DONE;
}

int Runner::Restart() { return System(Frames::RESTART, QStringLiteral("Restart acknowledged")); }

int Runner::Defaults() { return System(Frames::FACTORY_DEFAULT, QStringLiteral("Factory defaults acknowledged")); }

int Runner::System(const char* pszFrame, const QString& strDone) {
    if (!m_s.Exchange(
            pszFrame, [](const ReplyEvent& ev) { return Is(ev, ReplyKind::Ack); }, m_o.nTimeoutMs))
        return NoAnswer(QStringLiteral("the %1 command").arg(m_o.strCommand));
    m_out.Result(m_o.strCommand, QJsonObject(), strDone);
    return EXIT_DONE;
}

int Runner::Debug() {
    int nValue = -1;
    ReplyKind answer = ReplyKind::Ack;
    auto done = [&](const ReplyEvent& ev) {
        if (Is(ev, ReplyKind::Debug)) nValue = ev.n;
        const bool bMatch = Is(ev, ReplyKind::Debug) || (m_o.debugOn && Is(ev, ReplyKind::Ack));
        if (bMatch) answer = ev.kind;
        return bMatch;
    };
    const std::string strFrame = m_o.debugOn ? Frames::DebugApply(*m_o.debugOn) : std::string(Frames::DEBUG_GET);
    if (!m_s.Exchange(strFrame, done, m_o.nTimeoutMs)) return NoAnswer(QStringLiteral("the debug mode request"));
    if (m_o.debugOn) {
        const int nWanted = *m_o.debugOn ? 0 : 1;
        if (answer == ReplyKind::Debug && nValue != nWanted)
            return Refused(QStringLiteral("debug stays %1").arg(DebugWord(nValue)));
        nValue = nWanted;
    }
    QJsonObject obj;
    obj[QStringLiteral("debug")] = DebugWord(nValue);
    m_out.Result(m_o.strCommand, obj, QStringLiteral("Debug: %1").arg(DebugWord(nValue)));
    return EXIT_DONE;
}

// The whole configuration; its reply makes the session ask for the network
// parameters, as the window does, and those are waited for too.
bool Runner::LoadAll() {
    const unsigned nMark = m_s.Mark();
    if (!m_s.Exchange(
            Frames::Read(Frames::REG_ALL_CONFIG), [](const ReplyEvent& ev) { return Is(ev, ReplyKind::AllConfig); },
            m_o.nTimeoutMs)) {
        NoAnswer(QStringLiteral("the configuration request"));
        return false;
    }
    if (!m_s.WaitFor([](const ReplyEvent& ev) { return Is(ev, ReplyKind::NetParams); }, m_o.nTimeoutMs, nMark)) {
        NoAnswer(QStringLiteral("the network parameter request"));
        return false;
    }
    return true;
}

int Runner::Load() {
    if (!LoadAll()) return EXIT_NO_ANSWER;
    m_out.Result(m_o.strCommand, WholeConfigJson(true), WholeConfigText(true));
    return EXIT_DONE;
}

}  // namespace corvane::cli
