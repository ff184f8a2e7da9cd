#include "gateway/hub/StateLock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corvane::gateway {
namespace {

// The holder's process id as it wrote it into the lock file, or 0.
long HolderPid(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? std::strtol(text, nullptr, 10) : 0;
}

// Leaves only our process id in the file, for the next one refused.
void WritePid(int fd) {
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, pid.constData(), static_cast<size_t>(pid.size()), 0);
}

}  // namespace

StateLock::~StateLock() {
    if (m_fd >= 0) ::close(m_fd);  // closing frees the lock
}

StateLock::Result StateLock::Take(const QString& statePath, QString& message) {
    const QString lockPath = statePath + QStringLiteral(".lock");
    QDir().mkpath(QFileInfo(statePath).absolutePath());
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        message = QStringLiteral("cannot lock the state file (%1: %2)").arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
        return Result::Unavailable;
    }
    int rc;
    do rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        if (err == EWOULDBLOCK) {
            const long pid = HolderPid(fd);
            message = QStringLiteral("state file %1 is in use by another corvane-gateway%2; give each gateway its own --state")
                          .arg(statePath, pid > 0 ? QStringLiteral(" (pid %1)").arg(pid) : QString());
            ::close(fd);
            return Result::InUse;
        }
        ::close(fd);
        message = QStringLiteral("cannot lock the state file (%1: %2)").arg(lockPath, QString::fromLocal8Bit(std::strerror(err)));
        return Result::Unavailable;
    }
    WritePid(fd);
    m_fd = fd;
    return Result::Held;
}

}  // namespace corvane::gateway
