#include "tools/sim/SimPty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Bytes of replies the simulator holds while the master cannot take them
// (nobody reads the slave). Beyond this, replies are dropped.
constexpr std::size_t MAX_PENDING_OUT = 64 * 1024;
constexpr auto HANGUP_PAUSE = std::chrono::milliseconds(100);

std::string SysError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

CSimPty::CSimPty(CSimSwitcher& sw, int nDelayMs, bool bVerbose)
    : m_Session(sw), m_nDelayMs(nDelayMs), m_bVerbose(bVerbose) {}

CSimPty::~CSimPty() {
    if (m_fdSlave >= 0) close(m_fdSlave);
    if (m_fdMaster >= 0) close(m_fdMaster);
}

bool CSimPty::Open(std::string& error) {
    m_fdMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fdMaster < 0) return error = SysError("posix_openpt"), false;
    if (grantpt(m_fdMaster) != 0) return error = SysError("grantpt"), false;
    if (unlockpt(m_fdMaster) != 0) return error = SysError("unlockpt"), false;
    char name[128];
    if (ptsname_r(m_fdMaster, name, sizeof name) != 0) return error = SysError("ptsname"), false;
    m_strSlavePath = name;

    m_fdSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fdSlave < 0) return error = SysError(name), false;
    termios tio{};
    if (tcgetattr(m_fdSlave, &tio) != 0) return error = SysError("tcgetattr"), false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    if (tcsetattr(m_fdSlave, TCSANOW, &tio) != 0) return error = SysError("tcsetattr"), false;

    const int flags = fcntl(m_fdMaster, F_GETFL);
    if (flags < 0 || fcntl(m_fdMaster, F_SETFL, flags | O_NONBLOCK) != 0) return error = SysError("fcntl"), false;
    return true;
}

int CSimPty::PollFd() const { return m_PausedUntil ? -1 : m_fdMaster; }

short CSimPty::PollEvents() const { return m_strOut.empty() ? POLLIN : POLLIN | POLLOUT; }

std::optional<SimClock::time_point> CSimPty::NextDeadline() const {
    auto d = m_Delayed.NextDue();
    if (m_PausedUntil && (!d || *m_PausedUntil < *d)) d = m_PausedUntil;
    return d;
}

void CSimPty::OnTime(SimClock::time_point now) {
    if (m_PausedUntil && *m_PausedUntil <= now) m_PausedUntil.reset();
    while (auto queued = m_Delayed.PopDue(now)) AppendOut(queued->reply);
    WritePending();
}

void CSimPty::OnEvents(short revents, SimClock::time_point now) {
    if (revents & POLLIN) ReadRequests(now);
    if (!m_PausedUntil && (revents & POLLOUT)) WritePending();
    // Hang-up or error without data: level-triggered, so stop watching for a
    // while rather than waking up again at once.
    if (!m_PausedUntil && (revents & (POLLHUP | POLLERR)) && !(revents & POLLIN)) PauseAfterHangup(now);
}

void CSimPty::PauseAfterHangup(SimClock::time_point now) { m_PausedUntil = now + HANGUP_PAUSE; }

void CSimPty::ReadRequests(SimClock::time_point now) {
    char buf[512];
    const ssize_t n = read(m_fdMaster, buf, sizeof buf);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return;
        PauseAfterHangup(now);  // EIO: no slave side open at the moment
        return;
    }
    if (n == 0) {
        PauseAfterHangup(now);
        return;
    }
    const std::string_view bytes(buf, static_cast<std::size_t>(n));
    if (m_bVerbose) std::fprintf(stderr, "corvane-sim: rx %s\n", SimPrintable(bytes).c_str());
    std::vector<std::string> replies;
    const int nMalformed = m_Session.Feed(bytes, replies);
    if (m_bVerbose && nMalformed > 0)
        std::fprintf(stderr, "corvane-sim: %d malformed request(s) ignored\n", nMalformed);
    for (auto& r : replies) Queue(std::move(r), now);
    WritePending();
}

void CSimPty::Queue(std::string reply, SimClock::time_point now) {
    if (m_bVerbose) std::fprintf(stderr, "corvane-sim: tx %s\n", SimPrintable(reply).c_str());
    if (m_nDelayMs > 0) {
        if (!m_Delayed.Push(std::move(reply), now + std::chrono::milliseconds(m_nDelayMs)))
            std::fprintf(stderr, "corvane-sim: too many delayed replies, one dropped\n");
        return;
    }
    AppendOut(reply);
}

void CSimPty::AppendOut(std::string_view reply) {
    // Whole replies only: a reply cut short would corrupt the client's next frame.
    if (m_strOut.size() + reply.size() > MAX_PENDING_OUT) {
        std::fprintf(stderr, "corvane-sim: nobody reads the device, reply dropped\n");
        return;
    }
    m_strOut += reply;
}

void CSimPty::WritePending() {
    while (!m_strOut.empty()) {
        const ssize_t n = write(m_fdMaster, m_strOut.data(), m_strOut.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return;  // EAGAIN: wait for POLLOUT; EIO: the read side pauses
        }
        m_strOut.erase(0, static_cast<std::size_t>(n));
    }
}

CSimDeviceLink::~CSimDeviceLink() {
    if (m_strPath.empty()) return;
    char buf[4096];
    const ssize_t n = readlink(m_strPath.c_str(), buf, sizeof buf);
    if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == m_strTarget) unlink(m_strPath.c_str());
}

bool CSimDeviceLink::Create(const std::string& strTarget, const std::string& strPath, std::string& error) {
    struct stat st {};
    if (lstat(strPath.c_str(), &st) == 0) {
        struct stat target {};
        const bool bDangling = S_ISLNK(st.st_mode) && stat(strPath.c_str(), &target) != 0;
        if (!bDangling) {
            error = strPath + ": already exists";
            return false;
        }
        unlink(strPath.c_str());
    }
    if (symlink(strTarget.c_str(), strPath.c_str()) != 0) {
        error = SysError(strPath.c_str());
        return false;
    }
    m_strTarget = strTarget;
    m_strPath = strPath;
    return true;
}
