#include "tests/serial/SerialTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

LRESULT CRecordingOwner::OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) bWrongThread = true;
    messages.push_back({nMessage, wParam, lParam});
    if (fnOnMessage) fnOnMessage(messages.back());
    return 0;
}

std::string CRecordingOwner::Bytes() const {
    std::string s;
    for (const PortMessage& m : messages)
        if (m.nMessage == WM_PORT_RXCHAR) s.push_back(static_cast<char>(m.wParam));
    return s;
}

CErrorRecorder::CErrorRecorder() {
    CSerialPort::SetErrorSink(
        [this](const QString& c, const QString& t, const SerialErrorInfo& info) { boxes.push_back({c, t, info}); });
}
CErrorRecorder::~CErrorRecorder() { CSerialPort::SetErrorSink(nullptr); }

QString ExpectedErrorText(const char* pszOperation, int nErr, UINT nPortNr) {
    return QString::asprintf("WARNING:  %s Failed with the following error: \n%s\nPort: %d\n", pszOperation,
                             strerror(nErr), static_cast<int>(nPortNr));
}

// ------------------------------------------------------------ fault hooks

namespace {
std::atomic<dev_t> g_nFailWriteDev{0};
std::mutex g_csFlushHook;
dev_t g_nFlushDev = 0;
bool g_bFlushAfter = false;
std::function<void(int)> g_fnFlushHook;

bool IsDevice(int fd, dev_t nDev) {
    struct stat st {};
    return nDev != 0 && fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == nDev;
}
} // namespace

void FailWritesTo(dev_t nDev, bool bArm) { g_nFailWriteDev = bArm ? nDev : 0; }

void OnNextFlush(dev_t nDev, bool bAfter, std::function<void(int)> fn) {
    std::lock_guard lk(g_csFlushHook);
    g_nFlushDev = nDev;
    g_bFlushAfter = bAfter;
    g_fnFlushHook = std::move(fn);
}

int PendingInputOn(dev_t nDev) {
    DIR* d = opendir("/proc/self/fd");
    if (!d) return -1;
    int nResult = -1;
    while (dirent* e = readdir(d)) {
        const int fd = atoi(e->d_name);
        if (fd == dirfd(d) || !IsDevice(fd, nDev)) continue;
        int n = 0;
        if (ioctl(fd, FIONREAD, &n) == 0) {
            nResult = n;
            break;
        }
    }
    closedir(d);
    return nResult;
}

extern "C" {
ssize_t __real_write(int fd, const void* p, size_t n);
int __real_tcflush(int fd, int nQueue);

ssize_t __wrap_write(int fd, const void* p, size_t n) {
    if (IsDevice(fd, g_nFailWriteDev.load())) {
        errno = EIO;
        return -1;
    }
    return __real_write(fd, p, n);
}

int __wrap_tcflush(int fd, int nQueue) {
    std::function<void(int)> fn;
    bool bAfter = false;
    {
        std::lock_guard lk(g_csFlushHook);
        if (g_fnFlushHook && IsDevice(fd, g_nFlushDev)) {
            fn = std::move(g_fnFlushHook);
            g_fnFlushHook = nullptr;
            bAfter = g_bFlushAfter;
        }
    }
    if (fn && !bAfter) fn(fd);
    const int r = __real_tcflush(fd, nQueue);
    if (fn && bAfter) fn(fd);
    return r;
}
}
