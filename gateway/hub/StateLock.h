#pragma once
// One gateway per state file. Two gateways given the same file would write
// the same temporary file and could leave a mixed one, which the next start
// would set aside as corrupt. The lock is flock() on "<state file>.lock":
// the kernel frees it when the process ends, however it ends, so a crash
// never leaves a stale lock behind.
#include <QString>

namespace corvane::gateway {

class StateLock {
public:
    enum class Result {
        Held,         // this process holds the lock until it is destroyed
        InUse,        // another process holds it: do not start
        Unavailable,  // the lock file cannot be made (the state file's own errors will follow)
    };

    StateLock() = default;
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;
    ~StateLock();

    // message says what happened for InUse and Unavailable, in one line.
    Result Take(const QString& statePath, QString& message);

private:
    int m_fd = -1;
};

}  // namespace corvane::gateway
