#pragma once
// The POSIX side of the serial driver: exclusive open of a tty, the line
// settings in the steps the driver reports by name, purge, and the byte-level
// calls of the monitor thread. Plain functions on file descriptors; each
// returns -1 (or false) with errno set when the system refuses.
#include <string>
#include <vector>

#include "base/WinTypes.h"

struct termios;

// Where UUCP-style lock files (LCK..ttyUSB0) of other programs live.
const std::vector<std::string>& DefaultUucpLockDirs();

// True when one of lockDirs holds a lock file for the device at strPath whose
// process still exists. A stale file (dead pid, unreadable content) is ignored.
bool TtyUucpLockHeld(const std::string& strPath, const std::vector<std::string>& lockDirs);
// The pid in that live lock file, 0 when there is none.
long TtyUucpLockOwner(const std::string& strPath, const std::vector<std::string>& lockDirs);

// Opens strPath read/write, no controlling terminal, non-blocking, and makes
// it ours alone: TIOCEXCL (other non-root openers get EBUSY), a non-blocking
// flock (holds against root too), and no live UUCP lock. Returns the fd, or -1
// with errno (EBUSY when another program holds the port).
int TtyOpenExclusive(const std::string& strPath,
                     const std::vector<std::string>& lockDirs = DefaultUucpLockDirs());

// Releases a port opened by TtyOpenExclusive, exclusive flag included.
void TtyCloseExclusive(int fd);

// The five configuration steps, in the order the driver runs them.
// Time-outs: reads never block (VMIN 0, VTIME 0); the monitor waits in poll.
int TtySetTimeouts(int fd);
// Event mask: only bits the driver knows are accepted (EINVAL otherwise).
int TtyCheckEventMask(DWORD dwEventMask);
int TtyGetState(int fd, termios& state);
// Applies "baud=%d parity=%c data=%d stop=%d" to state in raw mode; EINVAL for
// a rate, parity, size or stop count the tty cannot take.
int TtyBuildState(termios& state, const char* pszSettings);
// tcsetattr, then RTS on when bRts. A tty without modem lines (a pty) refuses
// TIOCMBIS with ENOTTY/EINVAL; that is not a failure of the settings.
int TtySetState(int fd, const termios& state, bool bRts);

// Discards unread input and unsent output.
int TtyPurge(int fd);
// Bytes waiting in the input queue.
int TtyInputCount(int fd, int& nQueued);
// Bytes still in the output queue (0 for anything that is not a tty).
int TtyOutputCount(int fd);

// Writes nLen bytes within nTimeoutMs, waiting for room with poll; gives up
// early when stopFd becomes readable. Returns the bytes written (fewer on
// time-out or stop), or -1 with errno on a hard error.
int TtyWrite(int fd, const char* pData, int nLen, int nTimeoutMs, int stopFd);
// Waits until the output queue is empty, at most nTimeoutMs, or until stopFd
// becomes readable.
void TtyWaitDrained(int fd, int nTimeoutMs, int stopFd);
// The purge before a transmission: lets the previous frame leave the UART
// (at most nDrainMs), then discards unread input and whatever output is still
// stuck. Output the line already took is left alone: on a pty, flushing output
// would also erase what the peer has not read yet, i.e. a whole earlier frame.
int TtyPurgeForWrite(int fd, int nDrainMs, int stopFd);
