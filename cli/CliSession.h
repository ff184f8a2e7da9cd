#pragma once
// One connection of corvane-cli to a switcher. It opens the link the options
// name (the window's serial driver, or the UDP link), sends frames through
// the window's send path, and is the reply decoding's target: every frame the
// switcher sends goes through the same assembler and decoder as in the window
// and arrives here as one ReplyEvent. A command sends a frame and waits until
// an event says it is done, or until its time is up.
#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "IReplyTarget.h"
#include "SerialPort.h"

// Exit statuses of corvane-cli.
// EXIT_OUTPUT: the results or the frame trace could not be written.
enum : int { EXIT_DONE = 0, EXIT_NO_ANSWER = 1, EXIT_USAGE = 2, EXIT_LINK = 3, EXIT_OUTPUT = 4 };

// What one decoded reply frame was, told apart by the calls the decoder makes.
enum class ReplyKind {
    OutputSource,   // one output's source (n = output 0..3)
    AllOutputs,     // the four sources
    Edid,           // one input's EDID setting (n = input 0..3)
    Ack,            // write acknowledged
    AllConfig,      // the whole configuration
    Debug,          // debug mode (n = the value)
    Name,           // the device name (alone or within the whole configuration)
    NetParams,      // the network parameters
    CounterChanged, // the change counter moved
};

struct ReplyEvent {
    ReplyKind kind;
    int n = 0;
};

using ReplyPredicate = std::function<bool(const ReplyEvent&)>;

class CCliUdpLink;

class CCliSession : public QObject, public IReplyTarget, public ISerialOwner {
public:
    CCliSession();
    ~CCliSession() override;

    // Opens the serial port ("COMn" or a device path). EXIT_DONE, or
    // EXIT_LINK with the reason in strError.
    int OpenSerial(const QString& strPort, QString& strError);
    // After a link error: closes the serial port and opens the same one again.
    int ReopenSerial(QString& strError);
    // Opens the UDP link to strHost from local port nLocalPort.
    int OpenUdp(const QString& strHost, int nLocalPort, QString& strError);
    void Close();
    bool IsNetwork() const { return m_pUdp != nullptr; }
    // The link as messages name it: "COM3 (/dev/ttyUSB2)", "/dev/pts/4", "192.168.1.50:5000".
    QString LinkName() const { return m_strLinkName; }

    // Sends strFrame and waits until fnDone accepts a reply that came after
    // the send, at most nTimeoutMs.
    bool Exchange(const std::string& strFrame, const ReplyPredicate& fnDone, int nTimeoutMs);
    // Sends without waiting.
    void Send(const std::string& strFrame);
    // Counts the replies so far; a wait from this mark also sees replies that
    // arrived before the wait began (a socket hands over several datagrams
    // in one go, so the answer to a follow-up request can come with the
    // reply that caused it).
    unsigned Mark() const { return m_nEvents; }
    // Runs the event loop until fnDone accepts a reply from nFromMark on,
    // the time is up or Interrupt() is called. nTimeoutMs < 0 waits for ever.
    bool WaitFor(const ReplyPredicate& fnDone, int nTimeoutMs, unsigned nFromMark);
    bool WaitFor(const ReplyPredicate& fnDone, int nTimeoutMs) { return WaitFor(fnDone, nTimeoutMs, Mark()); }
    // Runs the event loop for nMs; false when Interrupt() ended it.
    bool Pause(int nMs);
    // Ends a running WaitFor or Pause (signal, fatal link error).
    void Interrupt();
    bool Interrupted() const { return m_bInterrupted; }

    // Sees every reply event, whether or not a command waits (watch).
    void SetListener(std::function<void(const ReplyEvent&)> fnListener) { m_fnListener = std::move(fnListener); }
    // Told of every answer of the switcher: each datagram from it, each
    // complete frame on the serial line, whether or not it changes anything
    // (an unchanged change counter is an answer too).
    void SetHeardListener(std::function<void()> fnHeard) { m_fnHeard = std::move(fnHeard); }
    // A link error reported after opening (device lost, write failed); empty while none.
    QString LinkError() const { return m_strLinkError; }

    // ISerialOwner
    LRESULT OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) override;
    // One datagram from the chosen switcher, waiting in g_NetRxBuffer.
    void OnNetRxData(WPARAM wParam);

    // IReplyTarget
    void ShowOutputSource(int nOutput) override;
    void PortSetEndWait() override;
    void RefreshEdidInput(int nInput) override;
    void EdidEndWait() override {}
    void StartAckTimers() override {}
    void LogToPages(const char* pszText, int nTarget) override;
    void ShowDeviceName() override;
    void ShowNetParams() override;
    void GetIpConfig() override;
    void ReadAllConfig() override;
    void SetDebugMode(int nMode) override;

private:
    void Emit(ReplyKind kind, int n = 0);
    void OnLinkError(const QString& strText);

    // The latest replies, for waits that start from an earlier mark.
    static constexpr unsigned RECENT_EVENTS = 64;
    ReplyEvent m_aRecent[RECENT_EVENTS]{};
    unsigned m_nEvents = 0;

    ReplyPredicate m_fnWaiting;
    bool m_bDone = false;
    bool m_bInterrupted = false;
    class QEventLoop* m_pLoop = nullptr;
    std::function<void(const ReplyEvent&)> m_fnListener;
    std::function<void()> m_fnHeard;

    // Output sources shown since the last event: one alone followed by the
    // end of the Port Set wait is a single output's reply.
    int m_nShownOutputs = 0;
    int m_nLastShownOutput = 0;
    int m_nLastEdidInput = 0;

    bool m_bSerialOpen = false;
    QString m_strPort;  // as --port named it, for ReopenSerial
    CCliUdpLink* m_pUdp = nullptr;
    QString m_strLinkName;
    QString m_strLinkError;
    bool m_bOpening = false;
};
