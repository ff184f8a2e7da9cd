#include "link/SerialOpenText.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

QString ProgramOf(long nPid) {
    QFile f(QStringLiteral("/proc/%1/comm").arg(nPid));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(f.readAll()).trimmed();
}

// /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:1a:7 0 EOF", the file as
// major:minor (hex) of its file system and its inode.
long FlockOwner(const struct stat& st) {
    QFile f(QStringLiteral("/proc/locks"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray strFile = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') + ':' +
                               QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') + ':' +
                               QByteArray::number(static_cast<qulonglong>(st.st_ino));
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // A waiting request ("1: -> FLOCK ...") has one field more; it holds nothing.
        if (fields.size() >= 6 && fields[1] != "->" && fields[5] == strFile) return fields[4].toLong();
    }
    return 0;
}

// A process with a descriptor on the device (rdev); only processes this user
// may look into are seen.
long DescriptorOwner(dev_t rdev) {
    DIR* pProc = ::opendir("/proc");
    if (!pProc) return 0;
    const long nSelf = ::getpid();
    long nFound = 0;
    while (dirent* pEntry = ::readdir(pProc)) {
        const long nPid = std::strtol(pEntry->d_name, nullptr, 10);
        if (nPid <= 0 || nPid == nSelf) continue;
        const std::string strFdDir = "/proc/" + std::to_string(nPid) + "/fd";
        DIR* pFds = ::opendir(strFdDir.c_str());
        if (!pFds) continue;
        while (dirent* pFd = ::readdir(pFds)) {
            struct stat st {};
            if (pFd->d_name[0] == '.' || ::fstatat(::dirfd(pFds), pFd->d_name, &st, 0) != 0) continue;
            if (S_ISCHR(st.st_mode) && st.st_rdev == rdev) {
                nFound = nPid;
                break;
            }
        }
        ::closedir(pFds);
        if (nFound) break;
    }
    ::closedir(pProc);
    return nFound;
}

QString FileKind(mode_t mode) {
    if (S_ISREG(mode)) return QStringLiteral("a regular file");
    if (S_ISDIR(mode)) return QStringLiteral("a directory");
    if (S_ISFIFO(mode)) return QStringLiteral("a pipe");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    if (S_ISBLK(mode)) return QStringLiteral("a block device");
    return QStringLiteral("a character device without terminal settings");
}

}  // namespace

PortHolder FindPortHolder(const std::string& strPath, const std::vector<std::string>& lockDirs) {
    PortHolder holder;
    struct stat st {};
    holder.nPid = TtyUucpLockOwner(strPath, lockDirs);
    if (!holder.nPid && ::stat(strPath.c_str(), &st) == 0) {
        holder.nPid = FlockOwner(st);
        if (!holder.nPid && S_ISCHR(st.st_mode)) holder.nPid = DescriptorOwner(st.st_rdev);
    }
    if (holder.nPid) holder.strProgram = ProgramOf(holder.nPid);
    return holder;
}

OpenFailureFacts GatherOpenFailureFacts(int nErrno, const QString& strPath) {
    OpenFailureFacts facts;
    facts.nErrno = nErrno;
    facts.strPath = strPath;
    facts.strGroup = FileGroupName(strPath);
    facts.strUser = CurrentUserName();
    if (nErrno == EBUSY) facts.holder = FindPortHolder(strPath.toStdString());
    return facts;
}

QString OpenFailureReason(const OpenFailureFacts& facts) {
    switch (facts.nErrno) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return QStringLiteral("no such device (is the adapter plugged in, is it another tty name?)");
    case EACCES:
    case EPERM: return QStringLiteral("permission denied");
    case EBUSY: return QStringLiteral("busy");
    default: return QString::fromLocal8Bit(std::strerror(facts.nErrno));
    }
}

QString OpenFailureAdvice(const OpenFailureFacts& facts) {
    if (facts.nErrno == EACCES || facts.nErrno == EPERM) {
        if (facts.strGroup == QLatin1String("dialout")) {
            return QStringLiteral(
                       "Serial ports belong to the group \"dialout\". Add your user to it "
                       "(sudo adduser %1 dialout), then log out and in again.")
                .arg(facts.strUser);
        }
        return QStringLiteral("User \"%1\" has no read and write access to %2.").arg(facts.strUser, facts.strPath);
    }
    if (facts.nErrno == EBUSY) {
        if (facts.holder.nPid) {
            const QString strWho =
                facts.holder.strProgram.isEmpty()
                    ? QStringLiteral("process %1").arg(facts.holder.nPid)
                    : QStringLiteral("%1 (process %2)").arg(facts.holder.strProgram).arg(facts.holder.nPid);
            return QStringLiteral("Another program holds the port: %1. Close it, then try again.").arg(strWho);
        }
        // ModemManager probes new ttyACM devices for a while after they appear.
        if (facts.strPath.contains(QLatin1String("ttyACM")))
            return QStringLiteral("Another program holds the port (often ModemManager on ttyACM devices).");
        return QStringLiteral("Another program holds the port.");
    }
    return {};
}

QString NotSerialDeviceReason(const QString& strPath, int nErrno) {
    struct stat st {};
    if (::stat(strPath.toLocal8Bit().constData(), &st) != 0) return {};
    if (S_ISCHR(st.st_mode) && nErrno != ENOTTY) return {};
    return QStringLiteral("not a serial device (%1)").arg(FileKind(st.st_mode));
}

QString FileGroupName(const QString& strPath) {
    struct stat st {};
    if (::stat(strPath.toLocal8Bit().constData(), &st) != 0) return {};
    const group* pGroup = ::getgrgid(st.st_gid);
    return pGroup ? QString::fromLocal8Bit(pGroup->gr_name) : QString::number(st.st_gid);
}

QString CurrentUserName() {
    const uid_t nUid = ::geteuid();
    const passwd* pUser = ::getpwuid(nUid);
    return pUser ? QString::fromLocal8Bit(pUser->pw_name) : QString::number(nUid);
}

QString OpenFailureText(const OpenFailureFacts& facts) {
    const QString strAdvice = OpenFailureAdvice(facts);
    return strAdvice.isEmpty() ? OpenFailureReason(facts)
                               : QStringLiteral("%1. %2").arg(OpenFailureReason(facts), strAdvice);
}
