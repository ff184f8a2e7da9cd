#include "cli/CliWatch.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QTimer>
#include <cstring>

#include "cli/CliFormat.h"
#include "cli/CliOutput.h"
#include "cli/CliRunner.h"
#include "cli/CliSession.h"
#include "link/CommandFrames.h"
#include "link/DeviceNameText.h"
#include "link/DeviceState.h"
#include "link/FrameTrace.h"

namespace corvane::cli {

namespace {

// Over the network the window polls the change counter once a second.
constexpr int NET_POLL_MS = 1000;
// A serial port that went away is tried again this often until it is back.
constexpr int REOPEN_RETRY_MS = 1000;

// The state last printed, compared with the device state after each reply.
struct Seen {
    int anSource[OUTPUT_COUNT];
    EdidSetting aEdid[INPUT_COUNT];
    QString strName;
    NetParams net;

    void Take() {
        std::memcpy(anSource, g_nOutputSource, sizeof anSource);
        std::memcpy(aEdid, g_EdidSetting, sizeof aEdid);
        strName = DeviceNameTrimmed();
        net = g_NetParams;
    }
};

class Watcher {
public:
    Watcher(const CliOptions& o, Session& s, const Output& out) : m_o(o), m_s(s), m_out(out) {}

    int Run() {
        Runner runner(m_o, m_s, m_out);
        if (!runner.LoadAll()) return m_s.Interrupted() ? EXIT_DONE : EXIT_NO_ANSWER;
        m_seen.Take();
        m_out.Note(QStringLiteral("Watching the switcher on %1; Ctrl-C ends.").arg(m_s.LinkName()));
        m_s.SetListener([this](const ReplyEvent& ev) { OnReply(ev); });
        m_s.SetHeardListener([this] { Heard(); });
        m_sinceReply.start();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [this] { Poll(); });
        const int nPollMs = m_o.intervalMs.value_or(m_s.IsNetwork() ? NET_POLL_MS : CLI_DEFAULT_INTERVAL_MS);
        poll.start(nPollMs);
        int nStatus = EXIT_DONE;
        // Ends on Ctrl-C, or on a link error that waiting cannot mend.
        for (;;) {
            m_s.WaitFor([](const ReplyEvent&) { return false; }, -1);
            if (m_s.Interrupted() || m_s.LinkError().isEmpty()) break;
            if (m_s.IsNetwork()) {
                nStatus = runner.NoAnswer(QStringLiteral("the watch"));
                break;
            }
            poll.stop();
            if (!ReopenWhenBack()) break;
            poll.start(nPollMs);
        }
        m_s.SetListener(nullptr);
        m_s.SetHeardListener(nullptr);
        return nStatus;
    }

private:
    // Over UDP the change counter; a changed counter reloads the whole
    // configuration (the session sends that request). Over serial the routing.
    void Poll() {
        // Results that cannot be written are not watched for ever.
        if (!Output::ResultsError().isEmpty() || !FrameTrace().WriteError().isEmpty()) {
            m_s.Interrupt();
            return;
        }
        if (m_sinceReply.elapsed() > m_o.nTimeoutMs && !m_bSilent) {
            m_bSilent = true;
            Line(QStringLiteral("silent"),
                 QStringLiteral("no answer from the switcher for %1 s").arg(m_o.nTimeoutMs / 1000.0), {});
        }
        m_s.Send(m_s.IsNetwork() ? Frames::Read(Frames::REG_CHANGE_COUNTER) : Frames::Status());
    }

    // Any answer ends a silence, whether or not it changed anything.
    void Heard() {
        m_sinceReply.restart();
        if (m_bSilent) {
            m_bSilent = false;
            Line(QStringLiteral("answering"), QStringLiteral("the switcher answers again"), {});
        }
    }

    // The serial port went away (unplugged, switched off): says so, then
    // opens the same path again every second until it is back or Ctrl-C,
    // as the network watch goes on through a silence. Once back, the whole
    // configuration is read, so what changed meanwhile is reported.
    bool ReopenWhenBack() {
        if (!m_bSilent) {
            m_bSilent = true;
            Line(QStringLiteral("silent"),
                 QStringLiteral("lost %1 (%2); opening it again as soon as it is back")
                     .arg(m_s.LinkName(), m_s.LinkError()),
                 {});
        }
        QString strError;
        while (m_s.ReopenSerial(strError) != EXIT_DONE) {
            if (!m_s.Pause(REOPEN_RETRY_MS)) return false;
        }
        m_s.Send(Frames::Read(Frames::REG_ALL_CONFIG));
        return true;
    }

    void OnReply(const ReplyEvent& ev) {
        switch (ev.kind) {
        case ReplyKind::OutputSource:
        case ReplyKind::AllOutputs: CompareRouting(); break;
        case ReplyKind::Edid: CompareEdid(ev.n); break;
        case ReplyKind::AllConfig:
            CompareRouting();
            for (int n = 0; n < INPUT_COUNT; ++n) CompareEdid(n);
            CompareName();
            break;
        case ReplyKind::Name: CompareName(); break;
        case ReplyKind::NetParams: CompareNet(); break;
        default: break;
        }
    }

    void CompareRouting() {
        for (int n = 0; n < OUTPUT_COUNT; ++n) {
            if (g_nOutputSource[n] == m_seen.anSource[n]) continue;
            QJsonObject obj{{QStringLiteral("output"), n + 1},
                            {QStringLiteral("from"), m_seen.anSource[n] + 1},
                            {QStringLiteral("to"), g_nOutputSource[n] + 1}};
            Line(QStringLiteral("routing"),
                 QStringLiteral("output %1: input %2 -> input %3")
                     .arg(n + 1)
                     .arg(m_seen.anSource[n] + 1)
                     .arg(g_nOutputSource[n] + 1),
                 obj);
            m_seen.anSource[n] = g_nOutputSource[n];
        }
    }

    void CompareEdid(int n) {
        const EdidSetting& now = g_EdidSetting[n];
        EdidSetting& was = m_seen.aEdid[n];
        if (SameEdid(now, was)) return;
        QJsonObject obj = EdidJson(n);
        Line(QStringLiteral("edid"),
             QStringLiteral("EDID input %1: %2 -> %3")
                 .arg(n + 1)
                 .arg(EdidDescription(was.nMode, was.nFlags), EdidDescription(now.nMode, now.nFlags)),
             obj);
        was = now;
    }

    void CompareName() {
        const QString strName = DeviceNameTrimmed();
        if (strName == m_seen.strName) return;
        Line(QStringLiteral("name"),
             QStringLiteral("name: \"%1\" -> \"%2\"").arg(DeviceNameShown(m_seen.strName), DeviceNameShown(strName)),
             QJsonObject{{QStringLiteral("name"), strName}});
        m_seen.strName = strName;
    }

    void CompareNet() {
        if (std::memcmp(&g_NetParams, &m_seen.net, sizeof(NetParams)) == 0) return;
        QString strText = NetText().trimmed();
        strText.replace(QLatin1Char('\n'), QLatin1String(", "));
        Line(QStringLiteral("network"), QStringLiteral("network: %1").arg(strText), NetJson());
        m_seen.net = g_NetParams;
    }

    void Line(const QString& strEvent, const QString& strText, QJsonObject obj) {
        const QDateTime t = QDateTime::currentDateTime();
        const QString strTime = t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
        obj[QStringLiteral("event")] = strEvent;
        obj[QStringLiteral("time")] = strTime;
        m_out.Result(m_o.strCommand, obj, QStringLiteral("%1 %2").arg(strTime, strText));
    }

    const CliOptions& m_o;
    Session& m_s;
    const Output& m_out;
    Seen m_seen{};
    QElapsedTimer m_sinceReply;
    bool m_bSilent = false;
};

}  // namespace

int RunWatch(const CliOptions& o, Session& s, const Output& out) { return Watcher(o, s, out).Run(); }

}  // namespace corvane::cli
