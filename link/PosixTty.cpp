#include "link/PosixTty.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/CommEvents.h"

namespace {

// Lock file name of a device: the path below /dev with '/' as '_'
// (/dev/ttyUSB0 -> LCK..ttyUSB0, /dev/pts/3 -> LCK..pts_3).
std::string LockName(const std::string& strPath) {
    char* pszReal = realpath(strPath.c_str(), nullptr);
    std::string strDev = pszReal ? pszReal : strPath;
    free(pszReal);
    if (strDev.rfind("/dev/", 0) == 0) strDev.erase(0, 5);
    for (char& c : strDev)
        if (c == '/') c = '_';
    return "LCK.." + strDev;
}

// Lock files hold the owner's pid, as ten ASCII digits (HDB) or as a binary
// int. The pid when that process still exists, else 0.
long LockFileOwner(const std::string& strFile) {
    FILE* f = fopen(strFile.c_str(), "rb");
    if (!f) return 0;
    char buf[32] = {};
    size_t n = fread(buf, 1, sizeof(buf) - 1, f);
    fclose(f);
    long nPid = 0;
    if (n == sizeof(int)) {
        int nBin = 0;
        memcpy(&nBin, buf, sizeof nBin);
        nPid = nBin;
    } else {
        nPid = strtol(buf, nullptr, 10);
    }
    if (nPid <= 0) return 0;
    return kill(static_cast<pid_t>(nPid), 0) == 0 || errno == EPERM ? nPid : 0;
}

int Fail(int nErr) {
    errno = nErr;
    return -1;
}

speed_t SpeedCode(int nBaud) {
    switch (nBaud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

bool StopRequested(int stopFd) {
    if (stopFd < 0) return false;
    pollfd p{stopFd, POLLIN, 0};
    return poll(&p, 1, 0) > 0;
}

int MillisLeft(std::chrono::steady_clock::time_point tEnd) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(tEnd - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

const std::vector<std::string>& DefaultUucpLockDirs() {
    static const std::vector<std::string> dirs{"/run/lock", "/var/lock"};
    return dirs;
}

long TtyUucpLockOwner(const std::string& strPath, const std::vector<std::string>& lockDirs) {
    const std::string strName = LockName(strPath);
    for (const std::string& dir : lockDirs)
        if (const long nPid = LockFileOwner(dir + "/" + strName)) return nPid;
    return 0;
}

bool TtyUucpLockHeld(const std::string& strPath, const std::vector<std::string>& lockDirs) {
    return TtyUucpLockOwner(strPath, lockDirs) != 0;
}

int TtyOpenExclusive(const std::string& strPath, const std::vector<std::string>& lockDirs) {
    if (strPath.empty()) return Fail(ENOENT);
    if (TtyUucpLockHeld(strPath, lockDirs)) return Fail(EBUSY);
    int fd = open(strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    // flock first: it also holds against root, for whom TIOCEXCL means nothing.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int nErr = (errno == EWOULDBLOCK) ? EBUSY : errno;
        close(fd);
        return Fail(nErr);
    }
    // Not a tty (ENOTTY): the configuration steps will say so by name.
    if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
        int nErr = errno;
        close(fd);
        return Fail(nErr);
    }
    return fd;
}

// TIOCEXCL stays on a tty after close for as long as anything else holds it
// open (on a pty: the switcher's side), which would refuse the next non-root
// open of the same port with EBUSY. Clear it before closing.
void TtyCloseExclusive(int fd) {
    if (fd < 0) return;
    ioctl(fd, TIOCNXCL);
    close(fd);
}

int TtySetTimeouts(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return -1;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &t);
}

int TtyCheckEventMask(DWORD dwEventMask) {
    return (dwEventMask & ~EV_KNOWN) ? Fail(EINVAL) : 0;
}

int TtyGetState(int fd, termios& state) { return tcgetattr(fd, &state); }

int TtyBuildState(termios& state, const char* pszSettings) {
    int nBaud = 0, nData = 0, nStop = 0;
    char cParity = 0;
    if (!pszSettings || sscanf(pszSettings, "baud=%d parity=%c data=%d stop=%d", &nBaud, &cParity, &nData, &nStop) != 4)
        return Fail(EINVAL);
    const speed_t speed = SpeedCode(nBaud);
    if (speed == B0) return Fail(EINVAL);
    tcflag_t size = 0;
    switch (nData) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return Fail(EINVAL);
    }
    if (nStop != 1 && nStop != 2) return Fail(EINVAL);
    tcflag_t parity = 0;
    switch (cParity) {
    case 'N': case 'n': break;
    case 'E': case 'e': parity = PARENB; break;
    case 'O': case 'o': parity = PARENB | PARODD; break;
    default: return Fail(EINVAL);
    }
    // Raw: every byte 0x00..0xFF passes unchanged (no XON/XOFF, no CR mapping,
    // no echo); no hardware flow control, modem status lines ignored.
    cfmakeraw(&state);
    state.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    state.c_cflag |= size | parity | CREAD | CLOCAL | (nStop == 2 ? CSTOPB : 0);
    state.c_iflag &= ~(IXON | IXOFF | IXANY);
    state.c_cc[VMIN] = 0;
    state.c_cc[VTIME] = 0;
    cfsetispeed(&state, speed);
    cfsetospeed(&state, speed);
    return 0;
}

int TtySetState(int fd, const termios& state, bool bRts) {
    if (tcsetattr(fd, TCSANOW, &state) != 0) return -1;
    if (!bRts) return 0;
    int nBits = TIOCM_RTS;
    if (ioctl(fd, TIOCMBIS, &nBits) != 0 && errno != ENOTTY && errno != EINVAL) return -1;
    return 0;
}

int TtyPurge(int fd) { return tcflush(fd, TCIOFLUSH); }

int TtyInputCount(int fd, int& nQueued) {
    nQueued = 0;
    return ioctl(fd, FIONREAD, &nQueued);
}

int TtyOutputCount(int fd) {
    int n = 0;
    return ioctl(fd, TIOCOUTQ, &n) == 0 ? n : 0;
}

int TtyWrite(int fd, const char* pData, int nLen, int nTimeoutMs, int stopFd) {
    const auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    int nDone = 0;
    while (nDone < nLen) {
        ssize_t n = write(fd, pData + nDone, static_cast<size_t>(nLen - nDone));
        if (n > 0) {
            nDone += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return -1;
        // Output queue full: wait for room, for the stop request or the deadline.
        const int nLeft = MillisLeft(tEnd);
        if (nLeft == 0) break;
        pollfd p[2] = {{fd, POLLOUT, 0}, {stopFd, POLLIN, 0}};
        if (poll(p, stopFd >= 0 ? 2 : 1, nLeft) < 0 && errno != EINTR) return -1;
        if (p[1].revents) break;
        if (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return Fail(EIO);
    }
    return nDone;
}

void TtyWaitDrained(int fd, int nTimeoutMs, int stopFd) {
    const auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (TtyOutputCount(fd) > 0 && MillisLeft(tEnd) > 0 && !StopRequested(stopFd)) {
        pollfd p{stopFd, POLLIN, 0};
        poll(&p, stopFd >= 0 ? 1 : 0, 1);
    }
}

int TtyPurgeForWrite(int fd, int nDrainMs, int stopFd) {
    TtyWaitDrained(fd, nDrainMs, stopFd);
    if (tcflush(fd, TCIFLUSH) != 0) return -1;
    return TtyOutputCount(fd) > 0 ? tcflush(fd, TCOFLUSH) : 0;
}
