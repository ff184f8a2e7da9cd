#pragma once
// corvane-cli and corvane-sim as child processes for the end-to-end cases.
// The simulator runs with --verbose, so every chunk it receives is on its
// stderr ("corvane-sim: rx ...") and a case can check the exact frames.
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>

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

class CSim {
public:
    ~CSim() { Stop(); }

    // Starts corvane-sim; waits for its "serial:" line and, with --udp, its
    // "udp:" line.
    bool Start(const QStringList& args = {}) {
        m_proc.start(QStringLiteral(CORVANE_SIM_PATH), QStringList{QStringLiteral("--verbose")} + args);
        if (!m_proc.waitForStarted(5000)) return false;
        const bool bUdp = args.contains(QStringLiteral("--udp"));
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000 && (m_strSlave.isEmpty() || (bUdp && !m_bUdpReady))) {
            if (!m_proc.canReadLine() && !m_proc.waitForReadyRead(100)) continue;
            while (m_proc.canReadLine()) {
                const QString strLine = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
                if (strLine.startsWith(QStringLiteral("serial: "))) m_strSlave = strLine.mid(8);
                if (strLine.startsWith(QStringLiteral("udp: "))) m_bUdpReady = true;
            }
        }
        return !m_strSlave.isEmpty() && (!bUdp || m_bUdpReady);
    }
    void Stop() {
        if (m_proc.state() == QProcess::NotRunning) return;
        ::kill(static_cast<pid_t>(m_proc.processId()), SIGTERM);
        if (!m_proc.waitForFinished(3000)) {
            m_proc.kill();
            m_proc.waitForFinished(3000);
        }
    }
    const QString& Slave() const { return m_strSlave; }

    // Every chunk received since the last Mark(), joined (the log shows
    // bytes outside printable ASCII as \xNN).
    QByteArray Received() { return AllReceived().mid(m_nMark); }
    void Mark() { m_nMark = AllReceived().size(); }

private:
    QByteArray AllReceived() {
        // The log is written before the reply, so once the client has its
        // answer the line is in the pipe; a short quiet wait collects it.
        m_proc.setReadChannel(QProcess::StandardError);
        while (m_proc.waitForReadyRead(30)) {}
        m_proc.setReadChannel(QProcess::StandardOutput);
        m_err += m_proc.readAllStandardError();
        QByteArray out;
        for (const QByteArray& line : m_err.split('\n')) {
            const qsizetype n = line.indexOf("rx ");
            if (line.startsWith("corvane-sim:") && n >= 0) out += line.mid(n + 3);
        }
        return out;
    }

    QProcess m_proc;
    qsizetype m_nMark = 0;
    QString m_strSlave;
    bool m_bUdpReady = false;
    QByteArray m_err;
};
