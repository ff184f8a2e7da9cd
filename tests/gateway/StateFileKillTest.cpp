// corvane-gateway killed with SIGKILL while it writes its state file: the
// file left behind is the old one or the new one, whole, and the gateway
// started again on it serves those labels without setting anything aside.
// The kills come at exact points of the write (a preloaded shim, see
// KillShim.cpp) and at unplanned moments of a flood of label changes.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "tests/gateway/GatewayClient.h"
#include "tests/support/ProcessSignal.h"
#include "tests/support/SimProcess.h"

namespace {

constexpr int LABEL_SLOTS = 8;  // four inputs, then four outputs

// The labels of a state file or an HTTP state, inputs then outputs.
using Labels = std::array<QString, LABEL_SLOTS>;

// "Input 1 | Input 2 | ...", for comparisons that print readably.
std::string Text(const Labels& labels) {
    return QStringList(labels.begin(), labels.end()).join(QStringLiteral(" | ")).toStdString();
}

QString SlotPath(int nSlot) {
    return nSlot < 4 ? QStringLiteral("/api/v1/labels/inputs/%1").arg(nSlot + 1)
                     : QStringLiteral("/api/v1/labels/outputs/%1").arg(nSlot - 3);
}

QByteArray LabelBody(const QString& label) {
    return QJsonDocument(QJsonObject{{QStringLiteral("label"), label}}).toJson(QJsonDocument::Compact);
}

// False when the labels object does not hold four and four texts.
bool ReadLabels(const QJsonObject& labels, Labels& out) {
    const QJsonArray inputs = labels[QStringLiteral("inputs")].toArray();
    const QJsonArray outputs = labels[QStringLiteral("outputs")].toArray();
    if (inputs.size() != 4 || outputs.size() != 4) return false;
    for (int i = 0; i < LABEL_SLOTS; ++i) {
        const QJsonValue v = i < 4 ? inputs[i] : outputs[i - 4];
        if (!v.isString()) return false;
        out[i] = v.toString();
    }
    return true;
}

class StateFileKillTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("state")));
        // The shim compares the paths the gateway writes with this folder
        // as the kernel names it, so no link in between.
        stateDir = QFileInfo(dir.filePath(QStringLiteral("state"))).canonicalFilePath();
        SimStart start = SimStart::Quiet();
        start.aArgs = QStringList{"--link", dir.filePath(QStringLiteral("com1"))};
        ASSERT_TRUE(sim.Start(start));
    }

    // The gateway on the simulator and the state file; with a kill point,
    // the shim is armed to kill it there once nAfter saves have completed.
    void StartGateway(const QString& killAt = {}, int nAfter = 0) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!killAt.isEmpty()) {
            env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(CORVANE_KILL_SHIM));
            env.insert(QStringLiteral("CORVANE_KILL_DIR"), stateDir);
            env.insert(QStringLiteral("CORVANE_KILL_AT"), killAt);
            env.insert(QStringLiteral("CORVANE_KILL_AFTER"), QString::number(nAfter));
        }
        gw.Process().setProcessEnvironment(env);
        ASSERT_TRUE(gw.Start({"--state", StatePath(), "--port", dir.filePath(QStringLiteral("com1"))}))
            << gw.Log().constData();
    }
    bool WaitEnded() {
        return WaitUntil([&] { return gw.Process().state() == QProcess::NotRunning; }, 20000);
    }

    QString StatePath() const { return stateDir + QStringLiteral("/state.json"); }

    // The state file as it is on disk: it must parse whole.
    void ExpectWholeFile(Labels& labels) {
        QFile f(StatePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "the state file is there";
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        ASSERT_TRUE(ReadLabels(doc.object()[QStringLiteral("labels")].toObject(), labels));
    }

    // Started again on the file, the gateway serves its labels, reports no
    // unusable file and sets nothing aside, whatever temporary file the
    // kill left beside it.
    void ExpectCleanRestartWith(const Labels& expected) {
        ASSERT_NO_FATAL_FAILURE(StartGateway());
        ApiClient c(gw, "check");
        Labels served;
        ASSERT_TRUE(
            ReadLabels(c.Get(QStringLiteral("/api/v1/state")).json[QStringLiteral("labels")].toObject(), served));
        EXPECT_EQ(Text(served), Text(expected));
        EXPECT_FALSE(gw.Log().contains("unusable")) << gw.Log().constData();
        EXPECT_TRUE(QDir(stateDir).entryList({QStringLiteral("*corrupt*")}).isEmpty());
    }

    QTemporaryDir dir;
    QString stateDir;
    CSimProcess sim;
    GatewayProcess gw;
};

// Every point of one save: the shim lets the first save through and kills
// the gateway inside the second. Until the rename the old file is there;
// from the rename on, the new one.
TEST_F(StateFileKillTest, KilledAtAnyPointOfASaveTheFileIsTheOldOrTheNewOneWhole) {
    struct Point {
        const char* at;
        bool bNewFile;
    };
    const Point points[] = {{"write", false}, {"sync", false}, {"rename", false}, {"renamed", true}};
    int nRound = 0;
    for (const Point& point : points) {
        SCOPED_TRACE(point.at);
        ++nRound;
        ASSERT_NO_FATAL_FAILURE(StartGateway(QString::fromLatin1(point.at), 1));
        ApiClient c(gw, "desk");
        Labels before;
        ASSERT_TRUE(
            ReadLabels(c.Get(QStringLiteral("/api/v1/state")).json[QStringLiteral("labels")].toObject(), before));
        before[4] = QStringLiteral("Before %1").arg(nRound);
        ASSERT_EQ(c.Put(SlotPath(4), LabelBody(before[4])).status, 200) << gw.Log().constData();
        Labels after = before;
        after[4] = QStringLiteral("After %1 - a longer label").arg(nRound);

        EXPECT_EQ(c.Put(SlotPath(4), LabelBody(after[4])).status, 0) << "no answer from a killed gateway";
        ASSERT_TRUE(WaitEnded());
        EXPECT_EQ(gw.Process().exitStatus(), QProcess::CrashExit);
        const QByteArray log = gw.Log();
        ASSERT_TRUE(log.contains("kill-shim: SIGKILL at " + QByteArray(point.at))) << log.constData();

        Labels onDisk;
        ASSERT_NO_FATAL_FAILURE(ExpectWholeFile(onDisk));
        EXPECT_EQ(Text(onDisk), Text(point.bNewFile ? after : before));
        ASSERT_NO_FATAL_FAILURE(ExpectCleanRestartWith(onDisk));
        EXPECT_EQ(gw.Stop(), 0) << gw.Log().constData();
        // The lock file stays; the kernel, not the file, says who holds it.
        EXPECT_EQ(QDir(stateDir).entryList(QDir::Files), (QStringList{"state.json", "state.json.lock"}))
            << "the next save took the place of any temporary file left";
    }
}

// A client that changes one label over and over, the next change sent when
// the last is answered, so at most one of its changes is unanswered.
struct LabelWriter {
    LabelWriter(const GatewayProcess& gw, int slot) : client(gw, "writer"), nSlot(slot) {}

    void Next() {
        inFlight = QStringLiteral("s%1 n%2").arg(nSlot).arg(++nSent);
        QNetworkReply* reply = client.Start("PUT", SlotPath(nSlot), LabelBody(inFlight));
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] {
            reply->deleteLater();
            if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200) {
                bStopped = true;  // the gateway is gone
                return;
            }
            confirmed = inFlight;
            ++nConfirmed;
            if (!bStopped) Next();
        });
    }

    ApiClient client;
    int nSlot;
    int nSent = 0;
    int nConfirmed = 0;
    QString inFlight;
    QString confirmed;
    bool bStopped = false;
};

// Eight clients each change their own label as fast as they are answered;
// the gateway is killed after a different number of answers each round.
// Each label on disk is then its last confirmed value or the one that was
// unanswered, and the gateway starts from the file as it is.
TEST_F(StateFileKillTest, KilledDuringAFloodOfChangesItAlwaysStartsFromAWholeFile) {
    constexpr int ROUNDS = 20;
    ASSERT_NO_FATAL_FAILURE(StartGateway());
    Labels known;
    {
        ApiClient c(gw);
        ASSERT_TRUE(
            ReadLabels(c.Get(QStringLiteral("/api/v1/state")).json[QStringLiteral("labels")].toObject(), known));
    }
    for (int nRound = 0; nRound < ROUNDS; ++nRound) {
        SCOPED_TRACE(nRound);
        std::vector<std::unique_ptr<LabelWriter>> writers;
        for (int s = 0; s < LABEL_SLOTS; ++s) {
            writers.push_back(std::make_unique<LabelWriter>(gw, s));
            writers.back()->Next();
        }
        const int nKillAfter = 3 + nRound * 7;
        const auto answered = [&] {
            int n = 0;
            for (const auto& w : writers) n += w->nConfirmed;
            return n;
        };
        ASSERT_TRUE(WaitUntil([&] { return answered() >= nKillAfter; }, 30000)) << gw.Log().constData();
        // No new change goes out once the kill is decided on, so what is in
        // flight stays what the gateway may have saved last.
        for (auto& w : writers) w->bStopped = true;
        ASSERT_TRUE(SignalChild(gw.Process(), SIGKILL));
        ASSERT_TRUE(WaitEnded());

        Labels onDisk;
        ASSERT_NO_FATAL_FAILURE(ExpectWholeFile(onDisk));
        for (int s = 0; s < LABEL_SLOTS; ++s) {
            const LabelWriter& w = *writers[s];
            const QString last = w.nConfirmed > 0 ? w.confirmed : known[s];
            EXPECT_TRUE(onDisk[s] == last || onDisk[s] == w.inFlight)
                << "slot " << s << ": " << onDisk[s].toStdString() << ", expected " << last.toStdString() << " or "
                << w.inFlight.toStdString();
        }
        known = onDisk;
        writers.clear();
        ASSERT_NO_FATAL_FAILURE(ExpectCleanRestartWith(known));
    }
}

}  // namespace
