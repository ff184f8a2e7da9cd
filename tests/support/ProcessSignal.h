#pragma once
// Signals to the child processes of tests. A QProcess that failed to start,
// or has already ended, reports process id 0, and kill(0, sig) signals the
// whole process group: the test runner and the shell that started it. An id
// below 1 is never signalled.
#include <QProcess>
#include <csignal>
#include <sys/types.h>

// False, sending nothing, when nPid is not a single process's id.
inline bool SignalChild(qint64 nPid, int nSignal) {
    if (nPid < 1) return false;
    return ::kill(static_cast<pid_t>(nPid), nSignal) == 0;
}

inline bool SignalChild(const QProcess& proc, int nSignal) { return SignalChild(proc.processId(), nSignal); }
