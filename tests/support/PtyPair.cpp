#include "tests/support/PtyPair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "tests/support/ComPorts.h"

namespace {

// Dispatches Qt events when there is an application and this is its thread.
void DispatchEvents() {
    QCoreApplication* pApp = QCoreApplication::instance();
    if (pApp && QThread::currentThread() == pApp->thread()) QCoreApplication::processEvents();
}

}  // namespace

CPtyPair::CPtyPair() {
    int nSlave = -1;
    char szName[256] = {};
    if (::openpty(&m_nMaster, &nSlave, szName, nullptr, nullptr) != 0) {
        m_nMaster = -1;
        return;
    }
    m_strSlave = szName;
    struct stat st {};
    ::fstat(nSlave, &st);
    m_nSlaveDev = st.st_rdev;
    termios tio{};
    ::tcgetattr(nSlave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(nSlave, TCSANOW, &tio);
    // The code under test opens the slave itself (exclusively); the master
    // alone keeps the pty alive.
    ::close(nSlave);
    ::fcntl(m_nMaster, F_SETFL, ::fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);
    // A child process must not keep the master open: closing it here is
    // what hangs the line up.
    ::fcntl(m_nMaster, F_SETFD, FD_CLOEXEC);
}

CPtyPair::CPtyPair(int nPortNr) : CPtyPair() {
    if (IsOpen()) PointComPort(nPortNr, m_strSlave);
}

CPtyPair::~CPtyPair() { CloseMaster(); }

void CPtyPair::CloseMaster() {
    if (m_nMaster >= 0) ::close(m_nMaster);
    m_nMaster = -1;
}

bool CPtyPair::Write(const std::string& strBytes) {
    size_t nDone = 0;
    while (nDone < strBytes.size()) {
        const ssize_t n = ::write(m_nMaster, strBytes.data() + nDone, strBytes.size() - nDone);
        if (n > 0) {
            nDone += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd{m_nMaster, POLLOUT, 0};
            if (::poll(&pfd, 1, 5000) <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

std::string CPtyPair::Read(size_t nBytes, int nMaxMs) {
    std::string strIn;
    QElapsedTimer timer;
    timer.start();
    while (strIn.size() < nBytes && timer.elapsed() < nMaxMs) ReadSome(strIn, nBytes - strIn.size(), 5);
    return strIn;
}

std::string CPtyPair::ReadUntilQuiet(int nQuietMs) {
    std::string strIn;
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < nQuietMs) {
        if (ReadSome(strIn, 256, 10)) quiet.restart();
    }
    return strIn;
}

bool CPtyPair::Readable(int nMs) {
    pollfd pfd{m_nMaster, POLLIN, 0};
    return ::poll(&pfd, 1, nMs) > 0 && (pfd.revents & POLLIN);
}

bool CPtyPair::ReadSome(std::string& strIn, size_t nMax, int nPollMs) {
    DispatchEvents();
    pollfd pfd{m_nMaster, POLLIN, 0};
    if (::poll(&pfd, 1, nPollMs) <= 0) return false;
    // With no slave open the master reports POLLHUP; wait instead of spinning.
    if (!(pfd.revents & POLLIN)) {
        QThread::msleep(static_cast<unsigned long>(nPollMs));
        return false;
    }
    char buf[256];
    const ssize_t n = ::read(m_nMaster, buf, std::min(sizeof buf, nMax));
    if (n <= 0) return false;
    strIn.append(buf, static_cast<size_t>(n));
    return true;
}
