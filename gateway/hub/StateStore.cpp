#include "gateway/hub/StateStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corvane::gateway {
namespace {

constexpr int STATE_FILE_VERSION = 1;
constexpr qint64 STATE_FILE_MAX_BYTES = 1024 * 1024;

bool ReadLabels(const QJsonValue& v, QString* p, int n) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != n) return false;
    for (int i = 0; i < n; ++i) {
        if (!a[i].isString() || !ValidLabel(a[i].toString())) return false;
        p[i] = a[i].toString();
    }
    return true;
}

bool ReadLocks(const QJsonValue& v, HostState& s) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != OUTPUT_COUNT) return false;
    for (int i = 0; i < OUTPUT_COUNT; ++i) {
        if (a[i].isNull()) continue;
        if (!a[i].isString() || a[i].toString().isEmpty()) return false;
        s.lockedBy[i] = a[i].toString();
    }
    return true;
}

bool ReadPresets(const QJsonValue& v, HostState& s) {
    if (!v.isObject()) return false;
    const QJsonObject o = v.toObject();
    if (o.size() > PRESET_MAX_COUNT) return false;
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QJsonArray a = it.value().toArray();
        if (!ValidPresetName(it.key()) || !it.value().isArray() || a.size() != OUTPUT_COUNT) return false;
        Routing r{};
        for (int i = 0; i < OUTPUT_COUNT; ++i) {
            const int nInput = a[i].toInt(0);  // numbered from 1 in the file
            if (!a[i].isDouble() || nInput < 1 || nInput > INPUT_COUNT) return false;
            r[i] = nInput - 1;
        }
        s.presets[it.key()] = r;
    }
    return true;
}

// Writes all of text to fd; false with errno set.
bool WriteAll(int fd, const QByteArray& text) {
    qsizetype nDone = 0;
    while (nDone < text.size()) {
        const ssize_t n = ::write(fd, text.constData() + nDone, static_cast<size_t>(text.size() - nDone));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        nDone += n;
    }
    return true;
}

QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The lock holder's process id as it wrote it into the lock file, or 0.
long HolderPid(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? std::strtol(text, nullptr, 10) : 0;
}

// Leaves only our process id in the lock file, for the next one refused.
void WritePid(int fd) {
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, pid.constData(), static_cast<size_t>(pid.size()), 0);
}

}  // namespace

QByteArray StateFileText(const HostState& s) {
    const QJsonObject labels = LabelsJson(s);
    QJsonArray locks;
    for (const QString& who : s.lockedBy) locks.append(who.isEmpty() ? QJsonValue() : QJsonValue(who));
    QJsonObject presets;
    for (const auto& [name, routing] : s.presets) presets.insert(name, RoutingJson(routing));
    const QJsonObject root{{QStringLiteral("version"), STATE_FILE_VERSION},
                           {QStringLiteral("labels"), labels},
                           {QStringLiteral("locks"), locks},
                           {QStringLiteral("presets"), presets}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool ParseStateFile(const QByteArray& text, HostState& state, QString& error) {
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &pe);
    if (!doc.isObject()) {
        error = pe.error != QJsonParseError::NoError ? pe.errorString() : QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("version")).toInt() != STATE_FILE_VERSION) {
        error = QStringLiteral("unknown version");
        return false;
    }
    HostState s = HostState::Defaults();
    const QJsonObject labels = root.value(QStringLiteral("labels")).toObject();
    if (!ReadLabels(labels.value(QStringLiteral("inputs")), s.inputLabels.data(), INPUT_COUNT) ||
        !ReadLabels(labels.value(QStringLiteral("outputs")), s.outputLabels.data(), OUTPUT_COUNT) ||
        !ReadLocks(root.value(QStringLiteral("locks")), s) || !ReadPresets(root.value(QStringLiteral("presets")), s)) {
        error = QStringLiteral("labels, locks or presets are not as expected");
        return false;
    }
    state = s;
    return true;
}

HostState StateStore::Load(QString& notice) const {
    notice.clear();
    QFile file(m_path);
    if (!file.exists()) return HostState::Defaults();
    QString error;
    HostState state;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else if (file.size() > STATE_FILE_MAX_BYTES) {
        error = QStringLiteral("larger than %1 bytes").arg(STATE_FILE_MAX_BYTES);
    } else if (ParseStateFile(file.readAll(), state, error)) {
        return state;
    }
    file.close();
    // A name of its own, so an earlier file kept aside is never replaced.
    const QString stem = m_path + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss"));
    QString aside = stem;
    for (int n = 1; QFile::exists(aside); ++n) aside = stem + QStringLiteral("-%1").arg(n);
    const bool bMoved = QFile::rename(m_path, aside);
    notice = bMoved ? QStringLiteral("state file %1 unusable (%2); kept as %3, starting with defaults")
                          .arg(m_path, error, aside)
                    : QStringLiteral("state file %1 unusable (%2) and could not be moved aside; starting with defaults")
                          .arg(m_path, error);
    return HostState::Defaults();
}

StateStore::~StateStore() {
    if (m_lockFd >= 0) ::close(m_lockFd);  // closing frees the lock
}

bool StateStore::MakeFolder(QString& error) const {
    const QString dir = QFileInfo(m_path).absolutePath();
    if (QDir().mkpath(dir)) return true;
    error = QStringLiteral("cannot create the folder %1").arg(dir);
    return false;
}

StateStore::LockResult StateStore::Lock(QString& message) {
    if (m_lockFd >= 0) return LockResult::Held;
    const QString lockPath = m_path + QStringLiteral(".lock");
    QString failure;
    if (!MakeFolder(failure)) {
        message = QStringLiteral("cannot lock the state file (%1)").arg(failure);
        return LockResult::Unavailable;
    }
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // LOCK_NB: a held lock is an answer, not a wait.
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        WritePid(fd);
        m_lockFd = fd;
        return LockResult::Held;
    }
    const bool bInUse = fd >= 0 && errno == EWOULDBLOCK;
    if (bInUse) {
        const long pid = HolderPid(fd);
        message =
            QStringLiteral("state file %1 is in use by another corvane-gateway%2; give each gateway its own --state")
                .arg(m_path, pid > 0 ? QStringLiteral(" (pid %1)").arg(pid) : QString());
    } else {
        message = QStringLiteral("cannot lock the state file (%1: %2)").arg(lockPath, ErrnoText());
    }
    if (fd >= 0) ::close(fd);
    return bInUse ? LockResult::InUse : LockResult::Unavailable;
}

bool StateStore::Save(const HostState& state, QString& error) const {
    if (!MakeFolder(error)) return false;
    const QString dir = QFileInfo(m_path).absolutePath();
    const QByteArray tmp = QFile::encodeName(m_path + QStringLiteral(".tmp"));
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = QStringLiteral("cannot write %1: %2").arg(QString::fromLocal8Bit(tmp), ErrnoText());
        return false;
    }
    const bool bWritten = WriteAll(fd, StateFileText(state)) && ::fsync(fd) == 0;
    const QString writeError = bWritten ? QString() : ErrnoText();
    ::close(fd);
    if (!bWritten || ::rename(tmp.constData(), QFile::encodeName(m_path).constData()) != 0) {
        error = QStringLiteral("cannot write %1: %2").arg(m_path, bWritten ? ErrnoText() : writeError);
        ::unlink(tmp.constData());
        return false;
    }
    // The rename itself is on disk only once the folder is.
    const int dirFd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace corvane::gateway
