#pragma once
// corvane-sim as a child process: started with --verbose so that every chunk
// it receives is logged on stderr ("corvane-sim: rx ..." from the pty,
// "corvane-sim: udp rx <peer> ..." per datagram), which gives the exact bytes
// the application put on the wire without a relay in between.
#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

class CSimProcess {
public:
    ~CSimProcess() { Stop(); }

    // Starts the simulator and waits for its "serial: <path>" line, and for
    // "udp: <address>:5000" when aArgs hold --udp.
    bool Start(const QString& strProgram, const QStringList& aArgs = {}) {
        m_proc.setProgram(strProgram);
        m_proc.setArguments(QStringList{QStringLiteral("--verbose")} + aArgs);
        m_proc.start();
        if (!m_proc.waitForStarted(5000)) return false;
        const QString strLine = ReadLine();
        if (!strLine.startsWith(QStringLiteral("serial: "))) return false;
        m_strSlave = strLine.mid(8);
        if (!aArgs.contains(QStringLiteral("--udp"))) return true;
        const QString strUdp = ReadLine();
        if (!strUdp.startsWith(QStringLiteral("udp: "))) return false;
        m_strUdp = strUdp.mid(5);
        return true;
    }

    void Stop() {
        if (m_proc.state() == QProcess::NotRunning) return;
        ::kill(static_cast<pid_t>(m_proc.processId()), SIGTERM);
        if (!m_proc.waitForFinished(3000)) {
            m_proc.kill();
            m_proc.waitForFinished(3000);
        }
    }

    const QString& SlavePath() const { return m_strSlave; }
    // "a.b.c.d:5000" once started with --udp.
    const QString& UdpAddress() const { return m_strUdp; }

    // Every datagram it received so far, in order, escapes undone.
    QList<QByteArray> UdpReceived() {
        QList<QByteArray> a;
        for (const QByteArray& line : Lines("corvane-sim: udp rx ")) {
            const int nSpace = line.indexOf(' ');  // after the sender's address
            a.append(nSpace < 0 ? QByteArray() : Unescape(line.mid(nSpace + 1)));
        }
        return a;
    }
    // How many of those were exactly frame.
    int UdpCount(const QByteArray& frame) { return static_cast<int>(UdpReceived().count(frame)); }

    // Everything the simulator received so far, chunks joined, escapes undone.
    QByteArray Received() { return Collect("corvane-sim: rx "); }
    // Every reply it sent so far, joined.
    QByteArray Sent() { return Collect("corvane-sim: tx "); }

    // Writes frames to the simulator through its slave side, as a second
    // client would, and waits for nReplies acknowledgements. Used to give the
    // switcher a state that differs from its factory defaults.
    bool Preset(const std::string& strFrames, int nReplies) {
        const int fd = ::open(m_strSlave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return false;
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
        bool bOk = ::write(fd, strFrames.data(), strFrames.size()) == static_cast<ssize_t>(strFrames.size());
        std::string strIn;
        QElapsedTimer timer;
        timer.start();
        auto Count = [&] {
            int n = 0;
            for (size_t pos = 0; (pos = strIn.find("@09 01#", pos)) != std::string::npos; ++pos) ++n;
            return n;
        };
        while (bOk && Count() < nReplies && timer.elapsed() < 5000) {
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, 50) > 0 && (pfd.revents & POLLIN)) {
                char buf[256];
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n > 0) strIn.append(buf, static_cast<size_t>(n));
            }
        }
        ::close(fd);
        return bOk && Count() >= nReplies;
    }

private:
    QString ReadLine() {
        QElapsedTimer timer;
        timer.start();
        while (!m_proc.canReadLine() && timer.elapsed() < 5000) m_proc.waitForReadyRead(100);
        return QString::fromLocal8Bit(m_proc.readLine()).trimmed();
    }
    // The complete log lines starting with pszPrefix, without it.
    QList<QByteArray> Lines(const char* pszPrefix) {
        m_strErr += m_proc.readAllStandardError();
        QList<QByteArray> a;
        const int nEnd = static_cast<int>(m_strErr.lastIndexOf('\n'));
        for (const QByteArray& line : m_strErr.left(nEnd < 0 ? 0 : nEnd).split('\n')) {
            if (line.startsWith(pszPrefix)) a.append(line.mid(static_cast<int>(qstrlen(pszPrefix))));
        }
        return a;
    }
    QByteArray Collect(const char* pszPrefix) {
        QByteArray out;
        for (const QByteArray& line : Lines(pszPrefix)) out += Unescape(line);
        return out;
    }
    // The log shows bytes outside printable ASCII as \xNN.
    static QByteArray Unescape(const QByteArray& s) {
        QByteArray out;
        for (int i = 0; i < s.size(); ++i) {
            if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
                out += static_cast<char>(s.mid(i + 2, 2).toInt(nullptr, 16));
                i += 3;
            } else {
                out += s[i];
            }
        }
        return out;
    }

    QProcess m_proc;
    QString m_strSlave;
    QString m_strUdp;
    QByteArray m_strErr;
};
