#pragma once
// corvane-sim as a child process, the one launcher of the tests and
// benchmarks. Start waits for its announcement lines
// ("serial: <path>" first; further transports announce themselves the same
// way, "<key>: <value>", e.g. "udp: 127.0.0.2:5000" with --udp). Verbose,
// it logs every chunk it receives and sends on stderr ("corvane-sim: rx
// ...", "corvane-sim: tx ...", and per datagram "corvane-sim: udp rx <peer>
// ..."), which gives the exact bytes on the wire without a relay in between.
#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>
#include <string>
#include <vector>

struct SimStart {
    QStringList aArgs;                                  // further options
    QStringList aAnnounced{QStringLiteral("serial")};   // lines to wait for
    bool bVerbose = true;
    QString strProgram;                                 // empty: DefaultProgram()

    // Without the per-chunk log (which costs time on every frame).
    static SimStart Quiet() {
        SimStart start;
        start.bVerbose = false;
        return start;
    }
    // Quiet, with these options, waiting for what they announce: the serial
    // device unless --no-pty is given, the UDP address when --udp is.
    static SimStart ForArgs(const std::vector<std::string>& args);
};

class CSimProcess {
public:
    CSimProcess() = default;
    // Starts at once with SimStart::ForArgs(args); Serial() and Udp() are
    // empty when the simulator did not announce them (it may have exited).
    explicit CSimProcess(const std::vector<std::string>& args) { Start(SimStart::ForArgs(args)); }
    ~CSimProcess() { Stop(); }
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    // $CORVANE_SIM when set, else the simulator built with the tests.
    static QString DefaultProgram();

    bool Start(const SimStart& start = {});
    // nSignal, then a kill if it has not ended within 3 s. Returns the exit
    // code of a normal exit, else -1 (also when it was not running).
    int Stop(int nSignal = SIGTERM);
    // Waits (bounded) for the process to end on its own; the exit code of a
    // normal exit, else -1.
    int Wait();

    // The value of an announcement line, empty when it did not come.
    QString Announced(const QString& strKey) const { return m_announced.value(strKey); }
    QString SlavePath() const { return Announced(QStringLiteral("serial")); }
    std::string SlavePathStd() const { return SlavePath().toStdString(); }
    std::string Serial() const { return SlavePathStd(); }
    std::string Udp() const { return Announced(QStringLiteral("udp")).toStdString(); }
    // The first line it printed, with its line end ("corvane-sim 1.2\n"
    // for --version).
    const std::string& FirstLine() const { return m_strFirstLine; }
    qint64 Pid() const { return m_proc.processId(); }
    QProcess& Process() { return m_proc; }

    // The log is read as far as it is in the pipe when these are called.
    // Everything the simulator received so far, chunks joined, escapes undone.
    QByteArray Received() { return Collect("corvane-sim: rx "); }
    // Every reply it sent so far, joined.
    QByteArray Sent() { return Collect("corvane-sim: tx "); }
    // Every datagram it received so far, in order, escapes undone.
    QList<QByteArray> UdpReceived();
    // How many of those were exactly frame.
    int UdpCount(const QByteArray& frame) { return static_cast<int>(UdpReceived().count(frame)); }

    // Writes frames to the simulator through its slave side, as a second
    // client would, and waits for nReplies acknowledgements. Gives the
    // switcher a state that differs from its factory defaults.
    bool Preset(const std::string& strFrames, int nReplies);

private:
    // The complete log lines that start with pszPrefix, without it.
    QList<QByteArray> Lines(const char* pszPrefix);
    QByteArray Collect(const char* pszPrefix);

    QProcess m_proc;
    QMap<QString, QString> m_announced;
    std::string m_strFirstLine;
    QByteArray m_strErr;
};
