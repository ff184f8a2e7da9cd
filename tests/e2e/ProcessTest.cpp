// The real corvane executable and ./run as processes: what they answer on the
// command line without a display, and termination requests (SIGTERM, and
// SIGHUP from the terminal that started it closing) that end a connected
// window cleanly, releasing its serial device.
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <csignal>
#include <functional>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "tests/support/ComPorts.h"
#include "version/CorvaneVersion.h"
#include "resources/Dlg102_MainIds.h"
#include "tests/support/ProcessSignal.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TtyHeld.h"

namespace {

constexpr int WAIT_MS = 10000;

QProcessEnvironment OffscreenEnv() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    PointComPortsNowhere(env);
    return env;
}

QProcessEnvironment NoDisplayEnv() {
    QProcessEnvironment env = OffscreenEnv();
    for (const char* pszVar : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QLatin1String(pszVar));
    return env;
}

struct Outcome {
    bool bFinished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int nCode = -1;
    QByteArray out, err;
};

Outcome Run(const QString& strProgram, const QStringList& aArgs, const QProcessEnvironment& env) {
    QProcess proc;
    proc.setProcessEnvironment(env);
    proc.start(strProgram, aArgs);
    Outcome o;
    o.bFinished = proc.waitForFinished(WAIT_MS);
    if (!o.bFinished) proc.kill();
    o.status = proc.exitStatus();
    o.nCode = proc.exitCode();
    o.out = proc.readAllStandardOutput();
    o.err = proc.readAllStandardError();
    return o;
}

// True once the process has installed a handler for nSignal (SigCgt in
// /proc/<pid>/status). The application does that right before its window
// opens, so a signal sent earlier would meet the default action instead.
bool Catches(qint64 nPid, int nSignal) {
    QFile file(QStringLiteral("/proc/%1/status").arg(nPid));
    if (!file.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:")) continue;
        const quint64 nMask = line.mid(7).trimmed().toULongLong(nullptr, 16);
        return nMask & (quint64(1) << (nSignal - 1));
    }
    return false;
}

}  // namespace

class ProcessTest : public QObject {
    Q_OBJECT

private slots:
    void versionPrintsTheReleaseAndExits() {
        const Outcome o = Run(QStringLiteral(CORVANE_PATH), {QStringLiteral("--version")}, NoDisplayEnv());
        QVERIFY(o.bFinished);
        QCOMPARE(o.status, QProcess::NormalExit);
        QCOMPARE(o.nCode, 0);
        QVERIFY2(o.out.contains(CORVANE_VERSION), o.out.constData());
    }

    void helpNamesThePortMappingWithoutADisplay() {
        const Outcome o = Run(QStringLiteral(CORVANE_PATH), {QStringLiteral("--help")}, NoDisplayEnv());
        QVERIFY(o.bFinished);
        QCOMPARE(o.status, QProcess::NormalExit);
        QCOMPARE(o.nCode, 0);
        QVERIFY2(o.out.contains("Usage:"), o.out.constData());
        QVERIFY2(o.out.contains("CORVANE_COM"), o.out.constData());
    }

    // A usage error is told before anything else, display or not.
    void unknownOptionOrArgumentPrintsTheUsageAndExitsTwo() {
        for (const char* pszArg : {"--no-such-option", "stray"}) {
            const Outcome o = Run(QStringLiteral(CORVANE_PATH), {QLatin1String(pszArg)}, NoDisplayEnv());
            QVERIFY(o.bFinished);
            QCOMPARE(o.status, QProcess::NormalExit);
            QCOMPARE(o.nCode, 2);
            QVERIFY2(o.err.contains(QByteArray(pszArg).replace("--", "") + "'"), o.err.constData());
            QVERIFY2(o.err.contains("Usage:"), o.err.constData());
        }
    }

    void withoutADisplayItSaysSoInOneLine() {
        const Outcome o = Run(QStringLiteral(CORVANE_PATH), {}, NoDisplayEnv());
        QVERIFY(o.bFinished);
        QCOMPARE(o.status, QProcess::NormalExit);   // not aborted inside Qt
        QCOMPARE(o.nCode, 1);
        QCOMPARE(o.err.count('\n'), 1);
        QVERIFY2(o.err.startsWith("corvane: no display"), o.err.constData());
        QVERIFY(o.out.isEmpty());
    }

    void runScriptHelpAndMissingDisplayStartNothing() {
        // Neither builds nor starts the simulator: both answer at once.
        const Outcome help = Run(QStringLiteral(CORVANE_RUN_SCRIPT), {QStringLiteral("--help")}, NoDisplayEnv());
        QVERIFY(help.bFinished);
        QCOMPARE(help.nCode, 0);
        QVERIFY2(help.out.startsWith("Usage: ./run"), help.out.constData());
        QVERIFY2(!help.out.contains("simulated switcher"), help.out.constData());

        const Outcome none = Run(QStringLiteral(CORVANE_RUN_SCRIPT), {}, NoDisplayEnv());
        QVERIFY(none.bFinished);
        QCOMPARE(none.nCode, 1);
        QCOMPARE(none.err.count('\n'), 1);
        QVERIFY2(none.err.startsWith("run: no display"), none.err.constData());
        QVERIFY(none.out.isEmpty());
    }

    // -platform on the command line is a display too; SIGTERM closes the
    // connected window and releases the port.
    void sigtermEndsTheConnectedWindowAndReleasesThePort() {
        CPtyPair com1;
        QProcess proc;
        StartConnected(proc, com1, {QStringLiteral("-platform"), QStringLiteral("offscreen")}, nullptr);
        QVERIFY(SignalChild(proc, SIGTERM));
        ExpectCleanEnd(proc, com1);
    }

    // The terminal that started the tool closes: the kernel hangs up its
    // session and sends SIGHUP. That ends the tool as SIGTERM does.
    void terminalHangUpEndsTheConnectedWindowAndReleasesThePort() {
        CPtyPair terminal;
        CPtyPair com1;
        QVERIFY(terminal.IsOpen());
        QProcess proc;
        const std::string strTerminal = terminal.SlavePath();
        // In the child: a session of its own, with the terminal as its
        // controlling terminal.
        StartConnected(proc, com1, {}, [strTerminal] {
            ::setsid();
            const int fd = ::open(strTerminal.c_str(), O_RDWR);
            if (fd >= 0) ::ioctl(fd, TIOCSCTTY, 0);
        });
        terminal.CloseMaster();
        ExpectCleanEnd(proc, com1);
    }

private:
    // Starts corvane with COM1 on the pty and presses Connect in it (the
    // preloaded test agent does), then waits for the load-all request.
    void StartConnected(QProcess& proc, CPtyPair& com1, const QStringList& aArgs,
                        std::function<void()> fnInChild) {
        QVERIFY(com1.IsOpen());
        QProcessEnvironment env = OffscreenEnv();
        if (aArgs.contains(QStringLiteral("-platform"))) env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QString::fromStdString(ComEnvName(1)), QString::fromStdString(com1.SlavePath()));
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(CORVANE_TEST_AGENT));
        env.insert(QStringLiteral("CORVANE_TEST_CLICK"), QString::number(Dlg102::IDC_CONNECT));
        proc.setProcessEnvironment(env);
        proc.setProcessChannelMode(QProcess::ForwardedChannels);
        if (fnInChild) proc.setChildProcessModifier(fnInChild);
        proc.start(QStringLiteral(CORVANE_PATH), aArgs);
        QVERIFY(proc.waitForStarted(WAIT_MS));
        QCOMPARE(com1.Read(8), std::string("@ R 0e #"));
        QTRY_VERIFY_WITH_TIMEOUT(Catches(proc.processId(), SIGTERM), WAIT_MS);
        QCOMPARE(proc.state(), QProcess::Running);
    }

    void ExpectCleanEnd(QProcess& proc, CPtyPair& com1) {
        const bool bEnded = proc.waitForFinished(WAIT_MS);
        if (!bEnded) proc.kill();
        QVERIFY2(bEnded, "still running after the termination request");
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
        // Released: a normal user's next open would work.
        QCOMPARE(ExclusiveFlag(com1.SlavePath()), 0);
    }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "ProcessTest.moc"
