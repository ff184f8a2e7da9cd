#pragma once
// Pseudo-terminal switcher stand-in, a recording owner and error sink, event
// pumping, and the link-time fault hooks of the serial tests.
#include <QString>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "SerialPort.h"

// A pty pair; CORVANE_COM<n> points at the slave. The master stays here.
class CPtyPair {
public:
    explicit CPtyPair(UINT nPortNr);
    ~CPtyPair();
    int Master() const { return m_nMaster; }
    const std::string& SlavePath() const { return m_strSlave; }
    dev_t SlaveDevice() const { return m_nSlaveDev; }
    void WriteMaster(const std::string& strBytes);
    // Reads exactly n bytes from the master (what the driver sent), waiting at
    // most nMs; returns what came.
    std::string ReadMaster(size_t n, int nMs = 5000);
    // True when the master has bytes to read within nMs.
    bool MasterReadable(int nMs);
    void CloseMaster();

private:
    int m_nMaster = -1;
    std::string m_strSlave;
    dev_t m_nSlaveDev = 0;
};

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
};
class CErrorRecorder {
public:
    CErrorRecorder();
    ~CErrorRecorder();
    std::vector<ErrorBox> boxes;
};

// Processes GUI events until pred holds or nMs pass; returns pred().
bool PumpUntil(const std::function<bool()>& pred, int nMs = 10000);
// Processes GUI events for nMs.
void PumpFor(int nMs);

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
