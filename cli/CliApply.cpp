#include "cli/CliApply.h"

#include <QFile>
#include <QJsonObject>
#include <cstring>

#include "cli/CliFormat.h"
#include "cli/CliRunner.h"
#include "cli/CliSession.h"
#include "cli/Snapshot.h"

namespace corvane::cli {

namespace {

// The answer that confirms one change: the acknowledgement, or the changed
// register read back with the value asked for.
bool Confirms(const PlannedChange& c, const ReplyEvent& ev) {
    if (ev.kind == ReplyKind::Ack) return true;
    switch (c.kind) {
    case ChangeKind::Route:
        return (ev.kind == ReplyKind::OutputSource && ev.n == c.n) || ev.kind == ReplyKind::AllOutputs;
    case ChangeKind::Edid: return ev.kind == ReplyKind::Edid && ev.n == c.n;
    case ChangeKind::Name: return ev.kind == ReplyKind::Name;
    case ChangeKind::Net: return ev.kind == ReplyKind::NetParams;
    }
    return false;
}

QJsonObject ChangeJson(const PlannedChange& c) {
    QJsonObject obj;
    obj[QStringLiteral("change")] = c.strWhat;
    obj[QStringLiteral("frame")] = QString::fromStdString(c.strFrame);
    return obj;
}

void PrintPlan(const std::vector<PlannedChange>& plan, const CliOptions& o, const Output& out) {
    for (const PlannedChange& c : plan) {
        QJsonObject obj = ChangeJson(c);
        obj[QStringLiteral("dry_run")] = true;
        out.Result(o.strCommand, obj,
                   QStringLiteral("would send %1   (%2)").arg(QString::fromStdString(c.strFrame), c.strWhat));
    }
    if (plan.empty())
        out.Result(o.strCommand, QJsonObject{{QStringLiteral("changes"), 0}}, QStringLiteral("Nothing to change"));
}

}  // namespace

int RunApply(const CliOptions& o, Session* pSession, const Output& out) {
    QFile file(o.strApplyFile);
    if (!file.open(QIODevice::ReadOnly)) {
        out.Error(o.strCommand, QStringLiteral("cannot read %1: %2").arg(o.strApplyFile, file.errorString()));
        return EXIT_USAGE;
    }
    Snapshot snap;
    QString strError;
    if (!ParseSnapshot(file.readAll(), snap, strError)) {
        out.Error(o.strCommand, QStringLiteral("%1: %2").arg(o.strApplyFile, strError));
        return EXIT_USAGE;
    }
    if (!pSession) {
        PrintPlan(PlanApply(snap, o.bWithNetwork, /*bAll=*/true), o, out);
        return EXIT_DONE;
    }
    Runner runner(o, *pSession, out);
    if (!runner.LoadAll()) return EXIT_NO_ANSWER;
    const std::vector<PlannedChange> plan = PlanApply(snap, o.bWithNetwork, /*bAll=*/false);
    if (o.bDryRun) {
        PrintPlan(plan, o, out);
        return EXIT_DONE;
    }
    int nChanged = 0;
    for (const PlannedChange& c : plan) {
        if (!pSession->Exchange(
                c.strFrame, [&c](const ReplyEvent& ev) { return Confirms(c, ev); }, o.nTimeoutMs)) {
            if (nChanged > 0)
                out.Note(QStringLiteral("%1 of %2 changes were made before this one").arg(nChanged).arg(plan.size()));
            return runner.NoAnswer(c.strWhat);
        }
        ++nChanged;
        out.Result(o.strCommand, ChangeJson(c), QStringLiteral("changed %1").arg(c.strWhat));
    }
    QJsonObject summary;
    summary[QStringLiteral("changes")] = nChanged;
    out.Result(o.strCommand, summary,
               nChanged ? QStringLiteral("%1 change(s) made").arg(nChanged)
                        : QStringLiteral("Nothing to change: the switcher already matches %1").arg(o.strApplyFile));
    return EXIT_DONE;
}

}  // namespace corvane::cli
