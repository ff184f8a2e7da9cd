#pragma once
// Why a serial port could not be opened or used, in words that say what to
// do about it. The window's "Cannot open serial port" box and corvane-cli
// take their texts from here, so both explain a failure the same way.
#include <QString>
#include <string>
#include <vector>

#include "link/PosixTty.h"

// A process that holds a device, where the system tells it.
struct PortHolder {
    long nPid = 0;       // 0: not known
    QString strProgram;  // its command name, empty when not readable
};

// What is known about one failed open; Gather... asks the system.
struct OpenFailureFacts {
    int nErrno = 0;
    QString strPath;
    QString strGroup;   // the group owning the device, empty when unknown
    QString strUser;    // the user this program runs as
    PortHolder holder;  // for EBUSY
};
OpenFailureFacts GatherOpenFailureFacts(int nErrno, const QString& strPath);

// The reason in a few words: "no such device", "permission denied",
// "busy", or the system's text for anything else.
QString OpenFailureReason(const OpenFailureFacts& facts);
// What to do about it, in whole sentences; empty when there is nothing to
// add. A permission problem names the group "dialout" and the command only
// when the device belongs to that group, otherwise the user and the path;
// a busy port names the program holding it when it can be found.
QString OpenFailureAdvice(const OpenFailureFacts& facts);
// The reason and what to do on one line: "permission denied. Add ...".
QString OpenFailureText(const OpenFailureFacts& facts);

// "not a serial device (a regular file)" when the file at strPath exists and
// is no terminal: not a character device, or one that refused the terminal
// settings with nErrno ENOTTY. Empty when it may well be a serial port.
QString NotSerialDeviceReason(const QString& strPath, int nErrno = 0);

// The process holding the device at strPath: the pid in a live UUCP lock
// file, the owner of a flock on it (/proc/locks), or a process with it open
// (/proc/<pid>/fd, as far as this user may look).
PortHolder FindPortHolder(const std::string& strPath, const std::vector<std::string>& lockDirs = DefaultUucpLockDirs());

// The group owning the file at strPath, empty when it cannot be told.
QString FileGroupName(const QString& strPath);
// The name of the user this process runs as.
QString CurrentUserName();
