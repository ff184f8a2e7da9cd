#pragma once
// CSerialPort: the one serial port to the switcher. Setup opens and configures
// a port; a monitor thread waits on three wake sources (stop, port event,
// send; the lowest wins), reads one byte at a time and hands each byte
// synchronously to the owner on the GUI thread before it reads the next one,
// and writes the frames WriteText hands it.
#include <QString>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "link/CommEvents.h"
#include "link/GuiHandoff.h"
#include "link/SerialProfile.h"
#include "base/WinTypes.h"

struct termios;

constexpr int MaxSerialPortNum = 30;

// Send-failure latch: set on a hard write error, cleared by StartMonitor.
extern BYTE g_bSendFailed;

// The window that receives the driver's notifications, on the GUI thread.
class ISerialOwner {
public:
    virtual ~ISerialOwner() = default;
    // WM_PORT_RXCHAR (wParam the byte 0..255) and the status notifications
    // WM_USER+1/2/4/5/8; lParam is the port number.
    virtual LRESULT OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) = 0;
    // The device stopped answering; told after the error box, on the GUI
    // thread. The monitor thread has ended.
    virtual void OnDeviceLost(const QString& /*strText*/) {}
};

// What an "Application Error" box is about, for the details its owner adds.
struct SerialErrorInfo {
    UINT nPortNr = 0;
    int nErrno = 0;
    // The device stopped answering (unplugged, switched off); the monitor
    // thread has ended and the link stays dead until it is set up again.
    bool bDeviceLost = false;
};
using SerialErrorSink =
    std::function<void(const QString& strCaption, const QString& strText, const SerialErrorInfo& info)>;

// Device path of COM port n: $CORVANE_COMn when set, else COM1..10 =
// /dev/ttyUSB0..9, COM11..20 = /dev/ttyACM0..9, COM21..30 = /dev/ttyS0..9.
std::string SerialDevicePath(UINT nPortNr);
// Makes COM port n stand for strPath, ahead of the environment (a device the
// operator names by its path); an empty path removes the entry again.
void SetSerialDevicePath(UINT nPortNr, const std::string& strPath);
// The port as traces and messages name it: "COM3:/dev/ttyUSB2", or the path
// alone for a port set by SetSerialDevicePath.
QString SerialLinkName(UINT nPortNr);

class CSerialPort {
public:
    CSerialPort();
    virtual ~CSerialPort();

    BOOL Setup(ISerialOwner* pPortOwner, UINT portnr = 1, UINT nBaud = corvane::link::SWITCHER_SERIAL.nBaud,
               char cParity = corvane::link::SWITCHER_SERIAL.cParity,
               UINT nDataBits = corvane::link::SWITCHER_SERIAL.nDataBits,
               UINT nStopBits = corvane::link::SWITCHER_SERIAL.nStopBits,
               DWORD dwEventMask = corvane::link::SWITCHER_SERIAL.dwEventMask,
               UINT nSendBufferSize = corvane::link::SWITCHER_SERIAL.nSendBufferSize);
    BOOL StartMonitor();
    void SignalShutdown();
    // Ends the monitor thread and closes the port (exclusive flag cleared):
    // no device stays held. Setup opens one again.
    void Close();
    // Hands one frame to the monitor thread and returns at once. Frames wait
    // in order until the thread transmits them (none is overwritten); a frame
    // longer than nSendBufferSize-1 characters is refused whole, with a
    // warning, as a cut frame would be garbage to the switcher. Dropped
    // without echo while g_bSendFailed is set.
    void WriteText(const char* pszText);

    BOOL IsOpen() const;
    UINT GetPortNr() const { return m_portnr; }
    // Why the last Setup could not open its port (errno text, empty when it
    // opened); the connection panel adds it to its message.
    QString LastOpenError() const;
    int LastOpenErrno() const;

    // Every frame WriteText accepts is echoed here first (the IP Config log).
    void SetWriteEcho(std::function<void(const char*)> fnEcho);
    // Shows "Application Error" boxes; called on the GUI thread.
    static void SetErrorSink(SerialErrorSink fnSink);

    void ReportError(const char* pszOperation);

    // TRUE while the monitor thread runs (it may also end by itself when the
    // device is lost).
    BOOL IsMonitorAlive() const { return m_bMonitorAlive.load(); }

private:
    enum class RxResult { Drained, Stopped, Lost };

    static void MonitorThread(CSerialPort* pPort);
    void RunMonitor();
    RxResult OnPortEvent(short nRevents);
    RxResult ReceiveBytes(bool& bGotByte);
    BOOL TransmitBuffer();
    BOOL SendOwner(UINT nMessage, WPARAM wParam);
    void ReportDeviceLost(const char* pszOperation, int nErr);
    void ReportError(const char* pszOperation, int nErr, bool bDeviceLost = false);
    BOOL ConfigurePort(UINT nBaud, char cParity, UINT nDataBits, UINT nStopBits, const char*& pszFailed);
    void StopMonitor();
    BOOL RecreateEvents();
    void CloseEvents();
    void ClosePort();

    std::thread m_pMonitorThread;
    std::mutex m_csPort;                       // around every call on m_hComm
    std::atomic<BOOL> m_bMonitorAlive{FALSE};  // written by the monitor thread only
    std::atomic<bool> m_bStopRequested{false};
    int m_hStopEvent = -1;                     // eventfd
    int m_hComm = -1;                          // tty fd, -1 when no port is open
    int m_hSendEvent = -1;                     // eventfd
    std::unique_ptr<termios> m_commState;
    ISerialOwner* m_pOwnerWnd = nullptr;
    UINT m_portnr = 0;
    std::unique_ptr<char[]> m_pSendBuffer;     // the frame being transmitted
    DWORD m_dwEventMask = 0;
    int m_nSendBufferSize = 0;

    // Frames handed over by WriteText and not yet transmitted, oldest first.
    std::mutex m_csSendQueue;
    std::deque<std::string> m_sendQueue;

    std::function<void(const char*)> m_fnWriteEcho;
    CGuiHandoff m_handoff;
    int m_nLastOpenErrno = 0;
    QString m_strLinkName;  // SerialLinkName of the port set up, for the frame trace
};

extern CSerialPort g_SerialPort;
