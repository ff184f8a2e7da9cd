#pragma once
// A pseudo-terminal that plays the switcher: the application opens the slave
// path as its COM port, the test reads and writes the master side.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

class PtyPair {
public:
    PtyPair() {
        int nSlave = -1;
        char szName[256] = {};
        if (::openpty(&m_nMaster, &nSlave, szName, nullptr, nullptr) != 0) return;
        m_strSlave = szName;
        // The application opens the slave itself (exclusively); the master
        // alone keeps the pty alive.
        ::close(nSlave);
        termios tio{};
        ::tcgetattr(m_nMaster, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_nMaster, TCSANOW, &tio);
        ::fcntl(m_nMaster, F_SETFL, ::fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        if (m_nMaster >= 0) ::close(m_nMaster);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool IsOpen() const { return m_nMaster >= 0; }
    const std::string& SlavePath() const { return m_strSlave; }

    void Write(const std::string& strText) {
        size_t nDone = 0;
        while (nDone < strText.size()) {
            const ssize_t n = ::write(m_nMaster, strText.data() + nDone, strText.size() - nDone);
            if (n > 0) nDone += static_cast<size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        }
    }

    // Reads until nBytes have arrived or nMaxMs have passed, keeping the GUI
    // thread's events flowing (the monitor thread hands bytes to it).
    std::string ReadAtLeast(size_t nBytes, int nMaxMs = 5000) {
        std::string strIn;
        QElapsedTimer timer;
        timer.start();
        while (strIn.size() < nBytes && timer.elapsed() < nMaxMs) ReadSome(strIn, 20);
        return strIn;
    }

    // Everything that arrives until the line has been quiet for nQuietMs.
    std::string ReadUntilQuiet(int nQuietMs = 300) {
        std::string strIn;
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < nQuietMs) {
            if (ReadSome(strIn, 20)) quiet.restart();
        }
        return strIn;
    }

private:
    bool ReadSome(std::string& strIn, int nPollMs) {
        QCoreApplication::processEvents();
        pollfd pfd{m_nMaster, POLLIN, 0};
        if (::poll(&pfd, 1, nPollMs) <= 0) return false;
        // With no slave open the master reports POLLHUP; wait instead of spinning.
        if (!(pfd.revents & POLLIN)) {
            ::usleep(static_cast<useconds_t>(nPollMs) * 1000);
            return false;
        }
        char buf[256];
        const ssize_t n = ::read(m_nMaster, buf, sizeof buf);
        if (n <= 0) return false;
        strIn.append(buf, static_cast<size_t>(n));
        return true;
    }

    int m_nMaster = -1;
    std::string m_strSlave;
};
