#include "gateway/hub/Hub.h"

#include <algorithm>
#include <memory>

#include "link/CommandFrames.h"
#include "link/DeviceNameText.h"
#include "link/EdidModes.h"

namespace corvane::gateway {
namespace {

const QString POLL_WHO = QStringLiteral("gateway poll");
const QString READ_WHO = QStringLiteral("gateway read");
const QString SWITCHER_WHO = QStringLiteral("switcher");

using Kind = LinkEvent::Kind;

std::function<bool(const LinkEvent&)> IsKind(Kind kind) {
    return [kind](const LinkEvent& ev) { return ev.kind == kind; };
}

// A write is confirmed by the acknowledgement or by the register's echo.
std::function<bool(const LinkEvent&)> AckOr(Kind echo, int n) {
    return [echo, n](const LinkEvent& ev) { return ev.kind == Kind::Ack || (ev.kind == echo && ev.n == n); };
}

Outcome NoSuchOutput(int output) {
    return Outcome::Fail(Failure::NotFound,
                         QStringLiteral("there is no output %1 (outputs are 1..%2)").arg(output + 1).arg(OUTPUT_COUNT));
}

}  // namespace

Hub::Hub(SwitcherLink& link, const StateStore* store, HubOptions options, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_pStore(store),
      m_options(options),
      m_queue(link, options.queueLimit),
      m_nReconnectMs(options.reconnectMinMs) {
    m_pollTimer.callOnTimeout(this, &Hub::Poll);
    m_reconnectTimer.setSingleShot(true);
    m_reconnectTimer.callOnTimeout(this, &Hub::Connect);
    m_queue.onTimeout = [this](const Job& job) { OnTimeout(job); };
}

Hub::~Hub() { m_link.onEvent = nullptr, m_link.onLost = nullptr; }

void Hub::Start(const HostState& host) {
    m_host = host;
    m_bStopped = false;
    m_link.onEvent = [this](const LinkEvent& ev) { OnEvent(ev); };
    m_link.onLost = [this](const QString& reason) { GoAbsent(reason); };
    Connect();
}

void Hub::Stop() {
    m_bStopped = true;
    m_pollTimer.stop();
    m_reconnectTimer.stop();
    m_queue.FailAll(Outcome::Fail(Failure::Absent, QStringLiteral("the gateway is stopping")));
    m_link.Close();
    QString error;
    if (m_pStore && !m_pStore->Save(m_host, error)) Log(error);
}

// ------------------------------------------------------------ the switcher

void Hub::Connect() {
    if (m_bStopped) return;
    QString error;
    if (!m_link.Open(error)) {
        if (error != m_strLastOpenError) Log(QStringLiteral("switcher link: %1; trying again").arg(error));
        m_strLastOpenError = error;
        m_reconnectTimer.start(m_nReconnectMs);
        m_nReconnectMs = std::min(m_nReconnectMs * 2, m_options.reconnectMaxMs);
        return;
    }
    m_strLastOpenError.clear();
    if (m_strLastAbsentReason.isEmpty()) Log(QStringLiteral("link %1 open; reading the switcher").arg(m_link.Name()));
    ReadAll();
}

// The whole configuration and the network parameters; over UDP the change
// counter first, so a change made while reading is seen by the next poll.
void Hub::ReadAll() {
    if (m_bReading) return;
    m_bReading = true;
    Job job{READ_WHO, true, {}, {}};
    const int nTimeout = m_options.commandTimeoutMs;
    if (m_link.IsNetwork()) {
        job.steps.push_back({Frames::Read(Frames::REG_CHANGE_COUNTER), IsKind(Kind::Counter),
                             [this](const LinkEvent& ev) {
                                 m_nCounter = ev.counter;
                                 m_bCounterKnown = true;
                             },
                             nTimeout});
    }
    job.steps.push_back({Frames::Read(Frames::REG_ALL_CONFIG), IsKind(Kind::AllConfig),
                         [this](const LinkEvent& ev) { TakeConfiguration(ev); }, nTimeout});
    job.steps.push_back({Frames::Read(Frames::NET_PARAMS_REG), IsKind(Kind::NetParams),
                         [this](const LinkEvent& ev) {
                             if (ev.net == m_sw.net) return;
                             m_sw.net = ev.net;
                             emit changed(Change::Network, SWITCHER_WHO);
                         },
                         nTimeout});
    job.done = [this](const Outcome& outcome) {
        m_bReading = false;
        if (!outcome.Ok() || m_sw.present) return;
        m_sw.present = true;
        m_sw.known = true;
        m_nMissedPolls = 0;
        m_nReconnectMs = m_options.reconnectMinMs;
        m_strLastAbsentReason.clear();
        Log(QStringLiteral("switcher \"%1\" present on %2").arg(m_sw.name, m_link.Name()));
        emit changed(Change::Presence, SWITCHER_WHO);
        m_pollTimer.start(m_link.IsNetwork() ? m_options.netPollMs : m_options.serialPollMs);
    };
    m_queue.Submit(std::move(job));
}

void Hub::TakeConfiguration(const LinkEvent& ev) {
    for (int o = 0; o < OUTPUT_COUNT; ++o) SetRouting(o, ev.routing[o], SWITCHER_WHO);
    if (ev.edid != m_sw.edid) {
        m_sw.edid = ev.edid;
        emit changed(Change::Edid, SWITCHER_WHO);
    }
    if (ev.name != m_sw.name) {
        m_sw.name = ev.name;
        emit changed(Change::Name, SWITCHER_WHO);
    }
}

void Hub::SetRouting(int output, int input, const QString& who) {
    if (m_sw.routing[output] == input) return;
    m_sw.routing[output] = input;
    emit changed(Change::Routing, who);
}

// Over UDP the change counter; a moved counter reads everything again.
// Over serial the routing itself.
void Hub::Poll() {
    if (!m_sw.present || m_bPollQueued || m_bReading) return;
    m_bPollQueued = true;
    const int nTimeout = std::min(m_options.commandTimeoutMs, m_pollTimer.interval());
    Job job{POLL_WHO, true, {}, [this](const Outcome&) { m_bPollQueued = false; }};
    if (m_link.IsNetwork()) {
        job.steps.push_back({Frames::Read(Frames::REG_CHANGE_COUNTER), IsKind(Kind::Counter),
                             [this](const LinkEvent& ev) {
                                 const bool bMoved = m_bCounterKnown && ev.counter != m_nCounter;
                                 m_nCounter = ev.counter;
                                 m_bCounterKnown = true;
                                 if (bMoved) ReadAll();
                             },
                             nTimeout});
    } else {
        job.steps.push_back({Frames::Status(), IsKind(Kind::AllOutputs),
                             [this](const LinkEvent& ev) {
                                 for (int o = 0; o < OUTPUT_COUNT; ++o) SetRouting(o, ev.routing[o], SWITCHER_WHO);
                             },
                             nTimeout});
    }
    m_queue.Submit(std::move(job));
}

void Hub::OnEvent(const LinkEvent& ev) {
    m_nMissedPolls = 0;
    m_queue.OnEvent(ev);
}

void Hub::OnTimeout(const Job& job) {
    if (job.who == READ_WHO) {
        GoAbsent(QStringLiteral("no answer to the configuration read"));
    } else if (job.who == POLL_WHO && ++m_nMissedPolls >= m_options.missedPollsForAbsent) {
        GoAbsent(QStringLiteral("no answer to %1 polls").arg(m_nMissedPolls));
    }
}

void Hub::GoAbsent(const QString& reason) {
    if (m_bStopped) return;
    const bool bWasPresent = m_sw.present;
    m_sw.present = false;
    m_bCounterKnown = false;
    m_nMissedPolls = 0;
    m_pollTimer.stop();
    m_link.Close();
    m_queue.FailAll(Outcome::Fail(Failure::Absent, QStringLiteral("the switcher is absent (%1)").arg(reason)));
    // While it stays away, each failed attempt says so only when the reason changes.
    if (bWasPresent || reason != m_strLastAbsentReason)
        Log(QStringLiteral("switcher lost on %1: %2").arg(m_link.Name(), reason));
    m_strLastAbsentReason = reason;
    if (bWasPresent) emit changed(Change::Presence, SWITCHER_WHO);
    m_reconnectTimer.start(m_nReconnectMs);
    m_nReconnectMs = std::min(m_nReconnectMs * 2, m_options.reconnectMaxMs);
}

// ------------------------------------------------------------- requests

void Hub::Submit(Job job) {
    const Completion done = job.done;
    if (!m_queue.Submit(std::move(job))) {
        done(Outcome::Fail(
            Failure::QueueFull,
            QStringLiteral("%1 commands are already waiting for the switcher; try again").arg(m_options.queueLimit)));
    }
}

bool Hub::CheckPresent(const Completion& done) {
    if (m_sw.present) return true;
    done(Outcome::Fail(Failure::Absent, QStringLiteral("the switcher is absent; nothing was sent")));
    return false;
}

bool Hub::CheckOutput(int output, const Completion& done) {
    if (output >= 0 && output < OUTPUT_COUNT) return true;
    done(NoSuchOutput(output));
    return false;
}

QString Hub::LockedByOther(const QString& who, int output) const {
    const QString& owner = m_host.lockedBy[output];
    return !owner.isEmpty() && owner != who ? owner : QString();
}

void Hub::Route(const QString& who, int output, int input, const Completion& done) {
    if (!CheckOutput(output, done)) return;
    if (input < 0 || input >= INPUT_COUNT) {
        done(Outcome::Fail(Failure::BadRequest,
                           QStringLiteral("input %1 is not 1..%2").arg(input + 1).arg(INPUT_COUNT)));
        return;
    }
    const QString owner = LockedByOther(who, output);
    if (!owner.isEmpty()) {
        done(Outcome::Fail(Failure::Locked, QStringLiteral("output %1 is locked by %2").arg(output + 1).arg(owner)));
        return;
    }
    if (!CheckPresent(done)) return;
    Job job{who, false, {}, done};
    job.steps.push_back({Frames::Route(output, input), AckOr(Kind::OutputSource, output),
                         [this, who, output, input](const LinkEvent& ev) {
                             SetRouting(output, ev.kind == Kind::Ack ? input : ev.routing[output], who);
                         },
                         m_options.commandTimeoutMs});
    Submit(std::move(job));
}

// One frame per output, in output order. Outputs locked by another client
// may stay as they are; asking to change one refuses the whole salvo.
void Hub::Salvo(const QString& who, const Routing& routing, const Completion& done) {
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        if (routing[o] < 0 || routing[o] >= INPUT_COUNT) {
            done(Outcome::Fail(
                Failure::BadRequest,
                QStringLiteral("input %1 for output %2 is not 1..%3").arg(routing[o] + 1).arg(o + 1).arg(INPUT_COUNT)));
            return;
        }
        const QString owner = LockedByOther(who, o);
        if (!owner.isEmpty() && routing[o] != m_sw.routing[o]) {
            done(Outcome::Fail(Failure::Locked, QStringLiteral("output %1 is locked by %2").arg(o + 1).arg(owner)));
            return;
        }
    }
    if (!CheckPresent(done)) return;
    Job job{who, false, {}, done};
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        if (!LockedByOther(who, o).isEmpty()) continue;
        const int input = routing[o];
        job.steps.push_back({Frames::Route(o, input), AckOr(Kind::OutputSource, o),
                             [this, who, o, input](const LinkEvent& ev) {
                                 SetRouting(o, ev.kind == Kind::Ack ? input : ev.routing[o], who);
                             },
                             m_options.commandTimeoutMs});
    }
    Submit(std::move(job));
}

void Hub::SetEdid(const QString& who, int input, EdidValue value, const Completion& done) {
    if (input < 0 || input >= INPUT_COUNT) {
        done(Outcome::Fail(Failure::NotFound,
                           QStringLiteral("there is no input %1 (inputs are 1..%2)").arg(input + 1).arg(INPUT_COUNT)));
        return;
    }
    if (value.mode < 0 || value.mode >= EDID_MODE_COUNT || value.flags < 0 || value.flags > 0xFF) {
        done(Outcome::Fail(Failure::BadRequest,
                           QStringLiteral("EDID mode must be 0..%1 and flags 0..255").arg(EDID_MODE_COUNT - 1)));
        return;
    }
    if (!CheckPresent(done)) return;
    Job job{who, false, {}, done};
    job.steps.push_back({Frames::EdidApply(Frames::REG_EDID_FIRST + input, value.mode, static_cast<UINT>(value.flags)),
                         AckOr(Kind::Edid, input),
                         [this, who, input, value](const LinkEvent& ev) {
                             const EdidValue now = ev.kind == Kind::Ack ? value : ev.edid[input];
                             if (now == m_sw.edid[input]) return;
                             m_sw.edid[input] = now;
                             emit changed(Change::Edid, who);
                         },
                         m_options.commandTimeoutMs});
    Submit(std::move(job));
}

void Hub::SetName(const QString& who, const QString& name, const Completion& done) {
    const bool bPrintable =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
    if (name.isEmpty() || name.size() > DEVICE_NAME_LEN || !bPrintable) {
        done(Outcome::Fail(Failure::BadRequest,
                           QStringLiteral("a name is 1..%1 printable ASCII characters").arg(DEVICE_NAME_LEN)));
        return;
    }
    if (!CheckPresent(done)) return;
    BYTE abName[DEVICE_NAME_LEN];
    DeviceNameFromText(name, abName);
    QString trimmed = name;
    while (trimmed.endsWith(QLatin1Char(' '))) trimmed.chop(1);
    Job job{who, false, {}, done};
    job.steps.push_back({Frames::DeviceNameWrite(abName), AckOr(Kind::Name, 0),
                         [this, who, trimmed](const LinkEvent& ev) {
                             const QString now = ev.kind == Kind::Ack ? trimmed : ev.name;
                             if (now == m_sw.name) return;
                             m_sw.name = now;
                             emit changed(Change::Name, who);
                         },
                         m_options.commandTimeoutMs});
    Submit(std::move(job));
}

// ------------------------------------------------------ kept on the host

void Hub::HostChanged(Change what, const QString& who, const Completion& done) {
    emit changed(what, who);
    QString error;
    if (m_pStore && !m_pStore->Save(m_host, error)) {
        Log(error);
        done(Outcome::Fail(Failure::Storage, QStringLiteral("changed, but not saved: %1").arg(error)));
        return;
    }
    done(Outcome::Done());
}

void Hub::SetLabel(const QString& who, bool input, int n, const QString& label, const Completion& done) {
    const int nCount = input ? INPUT_COUNT : OUTPUT_COUNT;
    if (n < 0 || n >= nCount) {
        done(Outcome::Fail(Failure::NotFound,
                           QStringLiteral("there is no %1 %2").arg(input ? "input" : "output").arg(n + 1)));
        return;
    }
    if (!ValidLabel(label)) {
        done(Outcome::Fail(Failure::BadRequest,
                           QStringLiteral("a label is at most %1 printable characters").arg(LABEL_MAX_CHARS)));
        return;
    }
    // An empty label gives the default back.
    const HostState defaults = HostState::Defaults();
    const QString text = !label.isEmpty() ? label : input ? defaults.inputLabels[n] : defaults.outputLabels[n];
    QString& slot = input ? m_host.inputLabels[n] : m_host.outputLabels[n];
    slot = text;
    HostChanged(Change::Labels, who, done);
}

void Hub::Lock(const QString& who, int output, const Completion& done) {
    if (!CheckOutput(output, done)) return;
    const QString owner = LockedByOther(who, output);
    if (!owner.isEmpty()) {
        done(Outcome::Fail(Failure::Locked, QStringLiteral("output %1 is locked by %2").arg(output + 1).arg(owner)));
        return;
    }
    m_host.lockedBy[output] = who;
    HostChanged(Change::Locks, who, done);
}

void Hub::Unlock(const QString& who, int output, bool force, const Completion& done) {
    if (!CheckOutput(output, done)) return;
    const QString owner = LockedByOther(who, output);
    if (!owner.isEmpty() && !force) {
        done(Outcome::Fail(Failure::Locked,
                           QStringLiteral("output %1 is locked by %2 (force frees it)").arg(output + 1).arg(owner)));
        return;
    }
    if (m_host.lockedBy[output].isEmpty()) {
        done(Outcome::Done());
        return;
    }
    if (force && !owner.isEmpty())
        Log(QStringLiteral("lock of output %1 held by %2 forced free by %3").arg(output + 1).arg(owner, who));
    m_host.lockedBy[output].clear();
    HostChanged(Change::Locks, who, done);
}

void Hub::SavePreset(const QString& who, const QString& name, const Completion& done) {
    if (!ValidPresetName(name)) {
        done(Outcome::Fail(Failure::BadRequest,
                           QStringLiteral("a preset name is 1..%1 letters, digits, spaces, '-', '_' or '.'")
                               .arg(PRESET_NAME_MAX_CHARS)));
        return;
    }
    if (!m_sw.known) {
        done(Outcome::Fail(Failure::Absent, QStringLiteral("the routing has not been read from the switcher yet")));
        return;
    }
    if (!m_host.presets.count(name) && static_cast<int>(m_host.presets.size()) >= PRESET_MAX_COUNT) {
        done(Outcome::Fail(Failure::BadRequest, QStringLiteral("at most %1 presets").arg(PRESET_MAX_COUNT)));
        return;
    }
    m_host.presets[name] = m_sw.routing;
    HostChanged(Change::Presets, who, done);
}

void Hub::ApplyPreset(const QString& who, const QString& name, const Completion& done) {
    const auto it = m_host.presets.find(name);
    if (it == m_host.presets.end()) {
        done(Outcome::Fail(Failure::NotFound, QStringLiteral("there is no preset \"%1\"").arg(name)));
        return;
    }
    Salvo(who, it->second, done);
}

void Hub::DeletePreset(const QString& who, const QString& name, const Completion& done) {
    if (!m_host.presets.erase(name)) {
        done(Outcome::Fail(Failure::NotFound, QStringLiteral("there is no preset \"%1\"").arg(name)));
        return;
    }
    HostChanged(Change::Presets, who, done);
}

// ------------------------------------------------------- raw frames

void Hub::Raw(const QString& who, const std::string& frame, bool write, const RawCompletion& done) {
    const auto reply = std::make_shared<std::string>();
    const Completion finish = [this, reply, write, done](const Outcome& outcome) {
        if (outcome.Ok() && write) ReadAll();
        done(outcome, outcome.Ok() ? *reply : std::string());
    };
    if (!CheckPresent(finish)) return;
    Job job{who, false, {}, finish};
    job.steps.push_back(
        {frame, IsKind(Kind::Frame), [reply](const LinkEvent& ev) { *reply = ev.frame; }, m_options.commandTimeoutMs});
    Submit(std::move(job));
}

}  // namespace corvane::gateway
