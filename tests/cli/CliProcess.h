#pragma once
// corvane-cli as a child process for the end-to-end cases, against
// corvane-sim started by CSimProcess (tests/support). The simulator runs
// with --verbose, so every chunk it receives is in its log and a case can
// check the exact frames.
#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include "tests/support/ProcessSignal.h"
#include "tests/support/SimProcess.h"

struct CliResult {
    int nExit = -1;
    QByteArray out;
    QByteArray err;
    QList<QByteArray> Lines() const {
        QList<QByteArray> lines = out.split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
};

// Runs corvane-cli to its end (a generous limit only guards against a hang).
inline CliResult RunCli(const QStringList& args, int nMaxMs = 60000) {
    QProcess proc;
    proc.start(QStringLiteral(CORVANE_CLI_PATH), args);
    CliResult r;
    if (!proc.waitForFinished(nMaxMs)) {
        proc.kill();
        proc.waitForFinished(3000);
        r.err = "corvane-cli did not end";
        return r;
    }
    r.nExit = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2;
    r.out = proc.readAllStandardOutput();
    r.err = proc.readAllStandardError();
    return r;
}

// Collects what a running process writes on one channel until it contains
// needle or nMaxMs have passed; returns what came.
inline QByteArray ReadUntil(QProcess& proc, QProcess::ProcessChannel channel, const QByteArray& needle,
                            int nMaxMs = 20000) {
    proc.setReadChannel(channel);
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (!got.contains(needle) && timer.elapsed() < nMaxMs) {
        proc.waitForReadyRead(100);
        got += proc.readAll();
    }
    return got;
}

// Starts a corvane-cli that runs until it is stopped (watch) and collects
// its stderr until it says it is watching; returns what it wrote.
inline QByteArray StartWatch(QProcess& watch, const QStringList& args) {
    watch.start(QStringLiteral(CORVANE_CLI_PATH), args);
    return ReadUntil(watch, QProcess::StandardError, "Watching");
}

// One line of --json output, which must be a JSON object.
inline QJsonObject JsonLine(const QByteArray& line) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
    EXPECT_EQ(err.error, QJsonParseError::NoError) << line.toStdString();
    EXPECT_TRUE(doc.isObject()) << line.toStdString();
    return doc.object();
}

// The simulator's start: verbose, and with --udp its UDP side announced too.
inline SimStart CliSimStart(const QStringList& args) {
    SimStart start;
    start.aArgs = args;
    if (args.contains(QStringLiteral("--udp"))) start.aAnnounced << QStringLiteral("udp");
    return start;
}
