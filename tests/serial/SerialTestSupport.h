#pragma once
// A recording owner and error sink, and the link-time fault hooks of the
// serial tests; the pseudo-terminal and the waiting come from the support
// library.
#include <QString>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/PtyPair.h"
#include "link/SerialPort.h"
#include "tests/support/Wait.h"

struct PortMessage {
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
};

// Records every notification, on the GUI thread.
class CRecordingOwner : public ISerialOwner {
public:
    LRESULT OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) override;
    std::string Bytes() const;  // the WM_PORT_RXCHAR bytes in order
    std::vector<PortMessage> messages;
    bool bWrongThread = false;
    std::function<void(const PortMessage&)> fnOnMessage;
};

// Installs itself as the driver's error sink and as the write echo of a port.
struct ErrorBox {
    QString strCaption, strText;
    SerialErrorInfo info;
};
class CErrorRecorder {
public:
    CErrorRecorder();
    ~CErrorRecorder();
    std::vector<ErrorBox> boxes;
};

// The exact box text for an operation and errno.
QString ExpectedErrorText(const char* pszOperation, int nErr, UINT nPortNr);

// Fault hooks, matched by the tty's device number (the driver's fd is private).
// Every write() to that tty fails with EIO while armed.
void FailWritesTo(dev_t nDev, bool bArm);
// Runs fn once, on the thread that calls tcflush() on that tty, right after
// the flush (bAfter) or right before it.
void OnNextFlush(dev_t nDev, bool bAfter, std::function<void(int fd)> fn);
// Input bytes waiting on the first of this process's fds open on that tty.
int PendingInputOn(dev_t nDev);
