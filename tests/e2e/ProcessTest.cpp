// The real corvane executable: information options without a display, and a
// termination request that ends a running window cleanly.
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <csignal>

#include "CorvaneVersion.h"

namespace {

QProcessEnvironment OffscreenEnv() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Keep the machine's own serial devices out of the probe.
    for (int n = 1; n <= 30; ++n)
        env.insert(QStringLiteral("CORVANE_COM%1").arg(n), QStringLiteral("/nonexistent/corvane-e2e/com%1").arg(n));
    return env;
}

// True once the process has installed a handler for SIGTERM (SigCgt in
// /proc/<pid>/status). The application does that right before its window
// opens, so a SIGTERM sent earlier would meet the default action instead.
bool CatchesSigterm(qint64 nPid) {
    QFile file(QStringLiteral("/proc/%1/status").arg(nPid));
    if (!file.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:")) continue;
        const quint64 nMask = line.mid(7).trimmed().toULongLong(nullptr, 16);
        return nMask & (quint64(1) << (SIGTERM - 1));
    }
    return false;
}

}  // namespace

class ProcessTest : public QObject {
    Q_OBJECT

private slots:
    void versionPrintsTheReleaseAndExits() {
        QProcess proc;
        proc.setProcessEnvironment(OffscreenEnv());
        proc.start(QStringLiteral(CORVANE_PATH), {QStringLiteral("--version")});
        QVERIFY(proc.waitForFinished(10000));
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
        QVERIFY2(proc.readAllStandardOutput().contains(CORVANE_VERSION), "version missing");
    }

    void helpNamesThePortMapping() {
        QProcess proc;
        // No display variable at all: help must not need one.
        QProcessEnvironment env = OffscreenEnv();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        proc.setProcessEnvironment(env);
        proc.start(QStringLiteral(CORVANE_PATH), {QStringLiteral("--help")});
        QVERIFY(proc.waitForFinished(10000));
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
        const QByteArray out = proc.readAllStandardOutput();
        QVERIFY2(out.contains("Usage:"), out.constData());
        QVERIFY2(out.contains("CORVANE_COM"), out.constData());
    }

    void unknownOptionFails() {
        QProcess proc;
        proc.setProcessEnvironment(OffscreenEnv());
        proc.start(QStringLiteral(CORVANE_PATH), {QStringLiteral("--no-such-option")});
        QVERIFY(proc.waitForFinished(10000));
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QVERIFY(proc.exitCode() != 0);
    }

    void sigtermEndsTheRunningWindowWithStatusZero() {
        QProcess proc;
        proc.setProcessEnvironment(OffscreenEnv());
        proc.start(QStringLiteral(CORVANE_PATH), {});
        QVERIFY(proc.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSigterm(proc.processId()), 10000);
        // Let the window come up and the modal loop run.
        QTest::qWait(500);
        QCOMPARE(proc.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(proc.processId()), SIGTERM);
        const bool bEnded = proc.waitForFinished(5000);
        if (!bEnded) proc.kill();
        QVERIFY2(bEnded, "still running 5 s after SIGTERM");
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "ProcessTest.moc"
