#include "tests/support/SimProcess.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "tests/support/ProcessSignal.h"

namespace {

constexpr int kStartMs = 10000;

// The log shows bytes outside printable ASCII as \xNN.
QByteArray Unescape(const QByteArray& s) {
    QByteArray out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            out += static_cast<char>(s.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool HasArg(const std::vector<std::string>& args, const char* pszArg) {
    return std::find(args.begin(), args.end(), pszArg) != args.end();
}

}  // namespace

SimStart SimStart::ForArgs(const std::vector<std::string>& args) {
    SimStart start = Quiet();
    for (const std::string& arg : args) start.aArgs << QString::fromStdString(arg);
    start.aAnnounced.clear();
    if (!HasArg(args, "--no-pty")) start.aAnnounced << QStringLiteral("serial");
    if (HasArg(args, "--udp")) start.aAnnounced << QStringLiteral("udp");
    return start;
}

QString CSimProcess::DefaultProgram() {
    const QString strEnv = qEnvironmentVariable("CORVANE_SIM");
    if (!strEnv.isEmpty()) return strEnv;
#ifdef CORVANE_SIM_PATH
    return QStringLiteral(CORVANE_SIM_PATH);
#else
    return QStringLiteral("corvane-sim");
#endif
}

bool CSimProcess::Start(const SimStart& start) {
    m_announced.clear();
    m_strFirstLine.clear();
    m_proc.setProgram(start.strProgram.isEmpty() ? DefaultProgram() : start.strProgram);
    QStringList aArgs = start.aArgs;
    if (start.bVerbose) aArgs.prepend(QStringLiteral("--verbose"));
    m_proc.setArguments(aArgs);
    // Quiet, its warnings go to the test's own stderr.
    m_proc.setProcessChannelMode(start.bVerbose ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    m_proc.start();
    if (!m_proc.waitForStarted(kStartMs)) return false;
    QDeadlineTimer deadline(kStartMs);
    auto missing = [&] {
        for (const QString& strKey : start.aAnnounced)
            if (!m_announced.contains(strKey)) return true;
        return false;
    };
    while (missing() && !deadline.hasExpired()) {
        if (!m_proc.canReadLine() && !m_proc.waitForReadyRead(100)) {
            if (m_proc.state() == QProcess::NotRunning) return false;
            continue;
        }
        const QByteArray line = m_proc.readLine();
        if (m_strFirstLine.empty()) m_strFirstLine = line.toStdString();
        const QString strLine = QString::fromLocal8Bit(line).trimmed();
        const qsizetype nColon = strLine.indexOf(QStringLiteral(": "));
        if (nColon > 0) m_announced.insert(strLine.left(nColon), strLine.mid(nColon + 2));
    }
    return !missing();
}

int CSimProcess::Stop(int nSignal) {
    if (m_proc.state() == QProcess::NotRunning) return -1;
    SignalChild(m_proc, nSignal);
    if (!m_proc.waitForFinished(3000)) {
        m_proc.kill();
        m_proc.waitForFinished(3000);
        return -1;
    }
    return m_proc.exitStatus() == QProcess::NormalExit ? m_proc.exitCode() : -1;
}

int CSimProcess::Wait() {
    if (m_proc.state() != QProcess::NotRunning && !m_proc.waitForFinished(kStartMs)) return -1;
    return m_proc.exitStatus() == QProcess::NormalExit ? m_proc.exitCode() : -1;
}

bool CSimProcess::Preset(const std::string& strFrames, int nReplies) {
    const int fd = ::open(SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    bool bOk = ::write(fd, strFrames.data(), strFrames.size()) == static_cast<ssize_t>(strFrames.size());
    std::string strIn;
    auto count = [&] {
        int n = 0;
        for (size_t pos = 0; (pos = strIn.find("@09 01#", pos)) != std::string::npos; ++pos) ++n;
        return n;
    };
    QDeadlineTimer deadline(kStartMs);
    while (bOk && count() < nReplies && !deadline.hasExpired()) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 50) > 0 && (pfd.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) strIn.append(buf, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    return bOk && count() >= nReplies;
}

QList<QByteArray> CSimProcess::Lines(const char* pszPrefix) {
    // Takes what is in the pipe now, without waiting, so that the log is
    // current without an event loop too (the cli tests run none between
    // commands). The simulator logs a chunk before it answers it, so once a
    // client has its answer the line is in the pipe.
    m_proc.setReadChannel(QProcess::StandardError);
    m_proc.waitForReadyRead(0);
    m_proc.setReadChannel(QProcess::StandardOutput);
    m_strErr += m_proc.readAllStandardError();
    // A line still being written is left for the next call.
    const qsizetype nEnd = m_strErr.lastIndexOf('\n');
    QList<QByteArray> a;
    for (const QByteArray& line : m_strErr.left(nEnd < 0 ? 0 : nEnd).split('\n')) {
        if (line.startsWith(pszPrefix)) a.append(line.mid(static_cast<qsizetype>(qstrlen(pszPrefix))));
    }
    return a;
}

QByteArray CSimProcess::Collect(const char* pszPrefix) {
    QByteArray out;
    for (const QByteArray& line : Lines(pszPrefix)) out += Unescape(line);
    return out;
}

QList<QByteArray> CSimProcess::UdpReceived() {
    QList<QByteArray> a;
    for (const QByteArray& line : Lines("corvane-sim: udp rx ")) {
        const qsizetype nSpace = line.indexOf(' ');  // after the sender's address
        a.append(nSpace < 0 ? QByteArray() : Unescape(line.mid(nSpace + 1)));
    }
    return a;
}
