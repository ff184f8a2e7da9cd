#pragma once
// One connection of corvane-cli to a switcher. The link core's connection
// opens the link the options name (the serial link or the UDP link), sends
// frames and decodes every frame the switcher sends, as in the window; the
// session turns each decoded reply into the event the commands wait for. A
// command sends a frame and waits until an event says it is done, or until
// its time is up.
#include <QString>
#include <functional>
#include <string>

#include "link/Connection.h"
#include "link/ReplyEvents.h"

class QEventLoop;

namespace corvane::cli {

// Exit statuses of corvane-cli.
// EXIT_OUTPUT: the results or the frame trace could not be written.
enum : int { EXIT_DONE = 0, EXIT_NO_ANSWER = 1, EXIT_USAGE = 2, EXIT_LINK = 3, EXIT_OUTPUT = 4 };

// What one decoded reply frame was, as the commands wait for it.
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

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the serial port ("COMn" or a device path). EXIT_DONE, or
    // EXIT_LINK with the reason in strError.
    int OpenSerial(const QString& strPort, QString& strError);
    // After a link error: closes the serial port and opens the same one again.
    int ReopenSerial(QString& strError);
    // Opens the UDP link to strHost from local port nLocalPort.
    int OpenUdp(const QString& strHost, int nLocalPort, QString& strError);
    void Close() { m_link.Close(); }
    bool IsNetwork() const { return m_link.IsNetwork(); }
    // The link as messages name it: "COM3 (/dev/ttyUSB2)", "/dev/pts/4", "192.168.1.50:5000".
    QString LinkName() const { return m_link.Name(); }

    // Sends strFrame and waits until fnDone accepts a reply that came after
    // the send, at most nTimeoutMs.
    bool Exchange(const std::string& strFrame, const ReplyPredicate& fnDone, int nTimeoutMs);
    // Sends without waiting.
    void Send(const std::string& strFrame) { m_link.Send(strFrame); }
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

    // One decoded reply: the events of the commands, then the read that
    // follows it as in the window (the network parameters after the whole
    // configuration, the whole configuration after a changed counter).
    void OnReply(const corvane::link::ReplyEvent& event);

private:
    void Emit(ReplyKind kind, int n = 0);
    void OnLinkLost(const QString& strReason);

    // The latest replies, for waits that start from an earlier mark.
    static constexpr unsigned RECENT_EVENTS = 64;
    ReplyEvent m_aRecent[RECENT_EVENTS]{};
    unsigned m_nEvents = 0;

    ReplyPredicate m_fnWaiting;
    bool m_bDone = false;
    bool m_bInterrupted = false;
    QEventLoop* m_pLoop = nullptr;
    std::function<void(const ReplyEvent&)> m_fnListener;
    std::function<void()> m_fnHeard;

    corvane::link::Connection m_link;
    QString m_strPort;  // as --port named it, for ReopenSerial
    QString m_strLinkError;
};

}  // namespace corvane::cli
