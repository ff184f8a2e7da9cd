// corvane-cli against corvane-sim on a pseudo-terminal: every command, the
// exact frames on the wire, JSON a parser accepts, the exit statuses.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/cli/CliProcess.h"
#include "link/CommandFrames.h"
#include "tests/support/PtyPair.h"
#include "tests/support/Wait.h"

namespace {

class CliSerialTest : public ::testing::Test {
protected:
    void StartSim(const QStringList& args = {}) { ASSERT_TRUE(sim.Start(CliSimStart(args))); }

    CliResult Cli(QStringList args) { return RunCli(QStringList{"--port", sim.SlavePath()} + args); }

    // Runs a command that must succeed and returns its stdout.
    QByteArray Ok(const QStringList& args) {
        const CliResult r = Cli(args);
        EXPECT_EQ(r.nExit, 0) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
        return r.out;
    }

    // One JSON result of a command that must succeed.
    QJsonObject OkJson(const QStringList& args) {
        const CliResult r = Cli(QStringList{"--json"} + args);
        EXPECT_EQ(r.nExit, 0) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
        const auto lines = r.Lines();
        EXPECT_EQ(lines.size(), 1) << r.out.toStdString();
        if (lines.isEmpty()) return {};
        QJsonObject obj = JsonLine(lines[0]);
        EXPECT_EQ(obj["ok"].toBool(), true);
        EXPECT_EQ(obj["command"].toString(), args[0]);
        return obj;
    }

    // What the simulator received since the last Mark (since its start
    // before the first).
    QByteArray Received() { return sim.Received().mid(nMark); }
    // For the checks that nothing was sent: bytes a client wrote just before
    // it ended may still be on their way, so they get a moment to arrive.
    QByteArray ReceivedAfterPause() {
        PumpFor(30);
        return Received();
    }
    void Mark() { nMark = sim.Received().size(); }

    CSimProcess sim;
    qsizetype nMark = 0;
};

}  // namespace

TEST_F(CliSerialTest, EachCommandSendsThePagesFrameAndPrintsTheAnswer) {
    StartSim();
    EXPECT_EQ(Ok({"status"}), "Output 1: input 1\nOutput 2: input 2\nOutput 3: input 3\nOutput 4: input 4\n");
    EXPECT_EQ(Ok({"route", "2", "3"}), "Output 2: input 3\n");
    EXPECT_TRUE(Ok({"status"}).contains("Output 2: input 3\n"));
    EXPECT_EQ(Ok({"route", "all", "4"}), "All outputs: input 4\n");
    EXPECT_EQ(Ok({"edid", "3", "4k60-420", "--hdr", "--3d", "--36bit", "--ch", "5.1"}),
              "Input 3: 4K2K@60Hz (YC420), HDR, 3D, 36Bit, 5.1 CH\n");
    EXPECT_EQ(Ok({"edid", "3"}), "Input 3: 4K2K@60Hz (YC420), HDR, 3D, 36Bit, 5.1 CH\n");
    EXPECT_EQ(Ok({"name", "ROOM A"}), "Name: ROOM A\n");
    EXPECT_EQ(Ok({"name"}), "Name: ROOM A\n");
    const QByteArray saved = Ok({"net", "--ip", "10.1.2.3", "--mask", "255.255.0.0", "--gw", "10.1.0.1", "--dhcp", "on"});
    EXPECT_EQ(saved, Ok({"net"}));
    EXPECT_TRUE(Ok({"net"}).contains("IP address: 10.1.2.3\nNet mask: 255.255.0.0\nRouter: 10.1.0.1\nDHCP: on\n"));
    EXPECT_EQ(Ok({"power", "off"}), "Power down acknowledged\n");
    EXPECT_EQ(Ok({"power", "on"}), "Power up acknowledged\n");
    EXPECT_EQ(Ok({"debug", "on"}), "Debug: on\n");
    EXPECT_EQ(Ok({"debug"}), "Debug: on\n");
    EXPECT_EQ(Ok({"restart", "--yes"}), "Restart acknowledged\n");
    const QByteArray load = Ok({"load"});
    EXPECT_TRUE(load.contains("Output 1: input 4\n")) << load.toStdString();
    EXPECT_TRUE(load.contains("Name: ROOM A\n"));
    EXPECT_TRUE(load.contains("IP address: 10.1.2.3\n"));
    EXPECT_EQ(Ok({"defaults", "--yes"}), "Factory defaults acknowledged\n");
    EXPECT_NE(Ok({"name"}), "Name: ROOM A\n");

    // The frames, byte for byte as the pages send them.
    const QByteArray rx = Received();
    for (const char* pszFrame : {"@R 04 #", "@W 01 02#", "@ W 04  03 03 03 03#", "@ W 07 02 a5 #", "@ R 07 #",
                                 "@W 20 524f4f4d20 4120202020 202020 20 20 20 #", "@ R 20 #", "@ R 40 #",
                                 "@W0F00#", "@W0F01#", "@W1000#", "@R10#", "@W50#", "@ R 0e #", "@W51#"})
        EXPECT_TRUE(rx.contains(pszFrame)) << pszFrame << " not in " << rx.toStdString();
    EXPECT_TRUE(rx.contains("@W40 02 43 56 00 00 01 0a 01 02 03 ff ff 00 00 0a 01 00 01 01#")) << rx.toStdString();
}

TEST_F(CliSerialTest, JsonResultsAreObjectsAScriptCanRead) {
    StartSim();
    QJsonObject o = OkJson({"status"});
    EXPECT_EQ(o["routing"].toArray(), QJsonArray({1, 2, 3, 4}));
    o = OkJson({"route", "4", "2"});
    EXPECT_EQ(o["output"].toInt(), 4);
    EXPECT_EQ(o["input"].toInt(), 2);
    EXPECT_EQ(o["answer"].toString(), "ack");
    EXPECT_EQ(OkJson({"route", "all", "1"})["output"].toString(), "all");
    o = OkJson({"edid", "2", "tv3", "--48bit"});
    EXPECT_EQ(o["input"].toInt(), 2);
    EXPECT_EQ(o["mode"].toInt(), 6);
    EXPECT_EQ(o["mode_name"].toString(), "tv3");
    EXPECT_TRUE(o["48bit"].toBool());
    EXPECT_TRUE(o["channels"].isNull());
    EXPECT_EQ(OkJson({"edid", "2"})["flags"].toInt(), 0x40);
    EXPECT_EQ(OkJson({"name", "Saal 3"})["name"].toString(), "Saal 3");
    o = OkJson({"net"});
    EXPECT_EQ(o["ip"].toString(), "192.168.1.100");
    EXPECT_EQ(o["mask"].toString(), "255.255.255.0");
    EXPECT_EQ(o["gateway"].toString(), "192.168.1.1");
    EXPECT_EQ(o["dhcp"].toBool(), false);
    EXPECT_EQ(o["mac"].toString(), "02:43:56:00:00:01");
    EXPECT_EQ(OkJson({"power", "on"})["power"].toString(), "on");
    EXPECT_EQ(OkJson({"debug", "off"})["debug"].toString(), "off");
    EXPECT_TRUE(OkJson({"restart", "--yes"})["ok"].toBool());
    o = OkJson({"load"});
    EXPECT_EQ(o["routing"].toArray(), QJsonArray({1, 1, 1, 1}));
    EXPECT_EQ(o["edid"].toArray().size(), 4);
    EXPECT_EQ(o["edid"].toArray()[1].toObject()["mode_text"].toString(), "Copy From TV3");
    EXPECT_EQ(o["name"].toString(), "Saal 3");
    EXPECT_EQ(o["network"].toObject()["ip"].toString(), "192.168.1.100");
}

TEST_F(CliSerialTest, ASilentSwitcherGivesStatusOneWithinTheTimeout) {
    // Writes go unanswered, reads are still answered.
    StartSim({"--reply", "none"});
    EXPECT_EQ(Ok({"status"}).count('\n'), 4);
    for (const QStringList& args : {QStringList{"route", "1", "2"}, QStringList{"edid", "1", "1080p"},
                                    QStringList{"name", "X"}, QStringList{"power", "on"}, QStringList{"debug", "off"}}) {
        const CliResult r = Cli(QStringList{"--timeout", "0.5"} + args);
        EXPECT_EQ(r.nExit, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("no answer")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(sim.SlavePath().toUtf8())) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    const CliResult r = Cli({"--json", "--timeout", "0.5", "route", "1", "2"});
    EXPECT_EQ(r.nExit, 1);
    const QJsonObject o = JsonLine(r.out.trimmed());
    EXPECT_EQ(o["ok"].toBool(), false);
    EXPECT_EQ(o["command"].toString(), "route");
    EXPECT_TRUE(o["error"].toString().contains("no answer"));
}

TEST_F(CliSerialTest, AReadBackConfirmsAWrite) {
    // The simulator answers writes with the register read back.
    StartSim({"--reply", "echo"});
    QJsonObject o = OkJson({"route", "3", "2"});
    EXPECT_EQ(o["answer"].toString(), "read-back");
    EXPECT_EQ(Ok({"edid", "1", "1080p", "--hdr"}), "Input 1: 1080P, HDR\n");
}

TEST_F(CliSerialTest, SnapshotsCaptureAndRestoreARoom) {
    StartSim();
    QTemporaryDir dir;
    const QString strFile = dir.filePath("room.json");
    Ok({"route", "1", "3"});
    Ok({"name", "Lecture Hall"});
    {
        QFile f(strFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Ok({"--json", "load"}));
    }
    // The room drifts, then is put back.
    Ok({"route", "1", "2"});
    Ok({"edid", "4", "tv1"});
    Ok({"name", "Other"});
    Mark();

    const QByteArray dry = Ok({"apply", strFile, "--dry-run"});
    EXPECT_TRUE(dry.contains("would send @W 00 02#")) << dry.toStdString();
    EXPECT_TRUE(dry.contains("would send @ W 08 01 02 #")) << dry.toStdString();
    EXPECT_FALSE(ReceivedAfterPause().contains("@W")) << "a dry run sends no write";

    const QByteArray applied = Ok({"apply", strFile});
    EXPECT_TRUE(applied.contains("changed output 1: input 2 -> input 3\n")) << applied.toStdString();
    EXPECT_TRUE(applied.contains("changed name: \"Other\" -> \"Lecture Hall\"\n"));
    EXPECT_TRUE(applied.contains("3 change(s) made"));
    EXPECT_TRUE(Ok({"status"}).startsWith("Output 1: input 3\n"));
    EXPECT_EQ(Ok({"name"}), "Name: Lecture Hall\n");
    EXPECT_TRUE(Ok({"apply", strFile}).contains("Nothing to change"));
    // Without a link it shows every frame of the file and sends nothing.
    const CliResult offline = RunCli({"apply", strFile, "--dry-run"});
    EXPECT_EQ(offline.nExit, 0);
    EXPECT_EQ(offline.Lines().size(), 4 + 4 + 1);

    // A file that is not a snapshot is a usage error; nothing is sent.
    QFile bad(dir.filePath("bad.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"routing": [1, 2]})");
    bad.close();
    Mark();
    EXPECT_EQ(Cli({"apply", bad.fileName()}).nExit, 2);
    EXPECT_EQ(Cli({"apply", dir.filePath("missing.json")}).nExit, 2);
    EXPECT_TRUE(ReceivedAfterPause().isEmpty());
}

TEST_F(CliSerialTest, TheTraceRecordsEveryFrameAndStrayBytes) {
    // CR LF after every reply: bytes outside any frame.
    StartSim({"--crlf"});
    QTemporaryDir dir;
    const QString strTrace = dir.filePath("trace.log");
    Ok({"--trace", strTrace, "route", "2", "3"});
    Ok({"--trace", strTrace, "load"});
    Ok({"status"});  // without the option nothing is added
    QFile f(strTrace);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    const QString strLink = sim.SlavePath();
    const QRegularExpression time(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d) )");
    QStringList frames, noise;
    for (const QString& line : lines) {
        EXPECT_TRUE(time.match(line).hasMatch()) << line.toStdString();
        const QString strRest = line.section(' ', 1);
        (strRest.startsWith("RX-NOISE ") ? noise : frames) << strRest;
    }
    EXPECT_EQ(frames.join('\n').toStdString(), QStringList({"TX " + strLink + " @W 01 02#", "RX " + strLink + " @09 01#",
                                   "TX " + strLink + " @ R 0e #",
                                   "RX " + strLink + " @0e 00 01 02 02 01 02 02 01 02 03 01 02 43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#",
                                   "TX " + strLink + " @ R 40 #",
                                   "RX " + strLink + " @40 02 43 56 00 00 01 c0 a8 01 64 ff ff ff 00 c0 a8 01 01 00#"}).join('\n').toStdString());
    // The CR LF between the two replies of load at least; one after the last
    // reply may come after the tool has ended.
    ASSERT_FALSE(noise.isEmpty());
    for (const QString& s : noise) EXPECT_TRUE(s == "RX-NOISE " + strLink + " \\r\\n" || s == "RX-NOISE " + strLink + " \\r") << s.toStdString();
}

TEST_F(CliSerialTest, LinkThatCannotOpenIsStatusThreeWithTheReason) {
    CliResult r = RunCli({"--port", "/nonexistent/ttyUSB9", "status"});
    EXPECT_EQ(r.nExit, 3);
    EXPECT_TRUE(r.err.contains("no such device")) << r.err.toStdString();
    // Files that are no serial device say so, not which terminal call failed.
    for (const char* pszPath : {"/dev/null", "/etc/passwd", "/tmp"}) {
        r = RunCli({"--port", pszPath, "status"});
        EXPECT_EQ(r.nExit, 3) << pszPath;
        EXPECT_TRUE(r.err.contains(QStringLiteral("%1: not a serial device").arg(pszPath).toUtf8()))
            << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("Comm")) << r.err.toStdString();
    }

    // Another program holds the port.
    StartSim();
    const int fd = ::open(sim.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    r = Cli({"status"});
    ::close(fd);
    EXPECT_EQ(r.nExit, 3);
    EXPECT_TRUE(r.err.contains("busy")) << r.err.toStdString();
    // The holder, as the system tells it (the flock in /proc/locks).
    EXPECT_TRUE(r.err.contains(QStringLiteral("(process %1)").arg(::getpid()).toUtf8())) << r.err.toStdString();
    // Released, the port opens again.
    EXPECT_EQ(Cli({"status"}).nExit, 0);
}

// The file's group is not dialout, so joining dialout would not help: the
// message names the user and the path, as the window's box does.
TEST_F(CliSerialTest, PermissionDeniedNamesTheUserAndThePath) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens any device; run as a normal user to see this case";
    // A terminal of this user (group tty) with no access left for anyone.
    CPtyPair pty;
    ASSERT_TRUE(pty.IsOpen());
    const QString strPath = QString::fromStdString(pty.SlavePath());
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0), 0);
    const CliResult r = RunCli({"--port", strPath, "status"});
    EXPECT_EQ(r.nExit, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("has no read and write access to %1").arg(strPath).toUtf8()))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("dialout")) << r.err.toStdString();
}

TEST_F(CliSerialTest, UsageErrorsAreStatusTwoAndSendNothing) {
    StartSim();
    for (const QStringList& args : {QStringList{"frobnicate"}, QStringList{"restart"}, QStringList{"route", "9", "1"},
                                    QStringList{"status", "--hdr"}, QStringList{"name", "ABCDEFGHIJKLMNOPQRS"}}) {
        const CliResult r = Cli(args);
        EXPECT_EQ(r.nExit, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_TRUE(ReceivedAfterPause().isEmpty());
    const CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.nExit, 0);
    EXPECT_TRUE(help.out.contains("route OUT IN"));
    // One command's help, asked either way, and no help for a command that is not there.
    const CliResult routeHelp = RunCli({"help", "route"});
    EXPECT_EQ(routeHelp.nExit, 0);
    EXPECT_TRUE(routeHelp.out.contains("route all IN"));
    EXPECT_FALSE(routeHelp.out.contains("edid IN"));
    EXPECT_EQ(RunCli({"route", "--help"}).out, routeHelp.out);
    const CliResult unknown = RunCli({"help", "frobnicate"});
    EXPECT_EQ(unknown.nExit, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.nExit, 0);
    EXPECT_TRUE(version.out.startsWith("corvane-cli "));
}

TEST_F(CliSerialTest, WatchEndsCleanlyOnInterrupt) {
    StartSim();
    QProcess watch;
    const QByteArray err = StartWatch(watch, {"--port", sim.SlavePath(), "watch", "--interval", "0.2"});
    ASSERT_TRUE(err.contains("Watching")) << err.toStdString();
    // It polls the routing while it waits.
    WaitUntil([&] { return Received().count("@R 04 #") >= 2; }, 20000);
    EXPECT_GE(Received().count("@R 04 #"), 2);
    ASSERT_TRUE(SignalChild(watch, SIGINT));
    ASSERT_TRUE(watch.waitForFinished(20000));
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), 0);
    // Nothing changed, so nothing was printed; the port is free again.
    EXPECT_TRUE(watch.readAllStandardOutput().isEmpty());
    EXPECT_EQ(Cli({"status"}).nExit, 0);
}

// A name that apply would send but the switcher gives back shorter (NUL) or
// that a terminal would act on is refused when the file is read, as the
// name command refuses it; nothing is sent.
TEST_F(CliSerialTest, ApplyRefusesNamesTheNameCommandRefuses) {
    StartSim();
    QTemporaryDir dir;
    Mark();
    for (const char* pszName : {R"(A\u0000B)", R"(A\nB)", R"(\u001b[2J)", R"(A\u0085)"}) {
        const QString strFile = dir.filePath("name.json");
        QFile f(strFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QStringLiteral(R"({"name": "%1"})").arg(QLatin1String(pszName)).toUtf8());
        f.close();
        const CliResult r = Cli({"apply", strFile});
        EXPECT_EQ(r.nExit, 2) << pszName << "\n" << r.out.toStdString();
        EXPECT_TRUE(r.err.contains("cannot be stored in the switcher's name")) << r.err.toStdString();
    }
    EXPECT_TRUE(ReceivedAfterPause().isEmpty());
}

// A name another client wrote with control characters is shown escaped: it
// cannot clear the screen or colour the terminal of whoever reads it.
TEST_F(CliSerialTest, NamesFromTheSwitcherAreShownWithControlsEscaped) {
    StartSim();
    BYTE abName[DEVICE_NAME_LEN];
    std::memcpy(abName,
                "\x1b[2J\x9b"
                "31mRED\nX  ",
                DEVICE_NAME_LEN);
    ASSERT_TRUE(sim.Preset(Frames::DeviceNameWrite(abName), 1));
    const QByteArray name = Ok({"name"});
    EXPECT_EQ(name, QByteArray("Name: \\x1B[2J\\x9B31mRED\\x0AX\n"));
    const QByteArray load = Ok({"load"});
    EXPECT_TRUE(load.contains("Name: \\x1B[2J\\x9B31mRED\\x0AX\n")) << load.toStdString();
    // JSON carries the name as it is; JSON escapes it itself.
    EXPECT_EQ(OkJson({"name"})["name"].toString(), QString::fromLatin1("\x1b[2J\x9b"
                                                                       "31mRED\nX"));
}

// Results that cannot be written fail the run, though the switcher answered.
TEST_F(CliSerialTest, UnwritableResultsOrTraceAreStatusFour) {
    StartSim();
    for (const QStringList& args : {QStringList{"--port", sim.SlavePath(), "status"}, QStringList{"--version"}}) {
        QProcess proc;
        proc.setStandardOutputFile(QStringLiteral("/dev/full"));
        proc.start(QStringLiteral(CORVANE_CLI_PATH), args);
        ASSERT_TRUE(proc.waitForFinished(60000));
        EXPECT_EQ(proc.exitCode(), 4) << args.join(' ').toStdString();
        const QByteArray err = proc.readAllStandardError();
        EXPECT_TRUE(err.contains("cannot write the results to standard output: No space left on device"))
            << err.toStdString();
    }
    // The trace on a full disk.
    const CliResult r = Cli({"--trace", "/dev/full", "status"});
    EXPECT_EQ(r.nExit, 4);
    EXPECT_TRUE(r.err.contains("cannot write the trace file /dev/full: ")) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("Output 1: input 1\n")) << r.out.toStdString();
}

// The adapter is unplugged and plugged in again (the same path, here a link
// to the simulator's pty): the watch says so and goes on, and reports what
// changed while the port was gone.
TEST_F(CliSerialTest, WatchOpensThePortAgainWhenItIsBack) {
    StartSim();
    QTemporaryDir dir;
    const QString strLink = dir.filePath("ttyWatched");
    ASSERT_TRUE(QFile::link(sim.SlavePath(), strLink));
    QProcess watch;
    const QByteArray err = StartWatch(watch, {"--port", strLink, "--json", "watch", "--interval", "0.2"});
    ASSERT_TRUE(err.contains("Watching")) << err.toStdString();

    sim.Stop();
    QByteArray out = ReadUntil(watch, QProcess::StandardOutput, "\"event\":\"silent\"");
    EXPECT_EQ(watch.state(), QProcess::Running);

    CSimProcess back;
    ASSERT_TRUE(back.Start(CliSimStart({})));
    ASSERT_TRUE(back.Preset("@W 02 00#", 1));  // output 3 from input 1, made while the port was gone
    ASSERT_TRUE(QFile::remove(strLink));
    ASSERT_TRUE(QFile::link(back.SlavePath(), strLink));
    out += ReadUntil(watch, QProcess::StandardOutput, "\"event\":\"routing\"");
    EXPECT_TRUE(out.contains("\"event\":\"silent\"")) << out.toStdString();
    EXPECT_TRUE(out.contains("\"event\":\"answering\"")) << out.toStdString();
    EXPECT_LT(out.indexOf("\"event\":\"answering\""), out.indexOf("\"event\":\"routing\"")) << out.toStdString();
    EXPECT_TRUE(out.contains("\"output\":3") && out.contains("\"to\":1")) << out.toStdString();
    EXPECT_TRUE(SignalChild(watch, SIGINT));
    ASSERT_TRUE(watch.waitForFinished(20000));
    EXPECT_EQ(watch.exitCode(), 0);
}

// A helper process that never started has process id 0; signalling that
// would end the whole process group, this test runner included.
TEST(ProcessSignal, NothingIsSentToAProcessThatNeverStarted) {
    QProcess proc;
    proc.start(QStringLiteral("/nonexistent/corvane-no-such-program"));
    EXPECT_FALSE(proc.waitForStarted(5000));
    EXPECT_EQ(proc.processId(), 0);
    EXPECT_FALSE(SignalChild(proc, SIGTERM));
    EXPECT_FALSE(SignalChild(-1, SIGTERM));
}
