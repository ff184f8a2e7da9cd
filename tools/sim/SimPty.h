#pragma once
// The serial end of the simulator: a pseudo-terminal whose slave path the
// control tool opens as its COM port. The simulator keeps its own descriptor
// on the slave for its whole life, so the master never sees a hang-up when
// the tool closes and reopens the port; should the master still report one
// (EIO, POLLHUP), the pty is left out of polling for a short pause instead
// of being polled in a tight loop.
#include <string>

#include "tools/sim/SimSwitcher.h"
#include "tools/sim/SimTransport.h"

class CSimPty : public ISimTransport {
public:
    CSimPty(CSimSwitcher& sw, int nDelayMs, bool bVerbose);
    ~CSimPty() override;
    CSimPty(const CSimPty&) = delete;
    CSimPty& operator=(const CSimPty&) = delete;

    // Creates the pty with the slave in raw mode (no echo, no line editing).
    bool Open(std::string& error);
    const std::string& SlavePath() const { return m_strSlavePath; }

    int PollFd() const override;
    short PollEvents() const override;
    void OnEvents(short revents, SimClock::time_point now) override;
    std::optional<SimClock::time_point> NextDeadline() const override;
    void OnTime(SimClock::time_point now) override;

private:
    void ReadRequests(SimClock::time_point now);
    void Queue(std::string reply, SimClock::time_point now);
    void AppendOut(std::string_view reply);
    void WritePending();
    void PauseAfterHangup(SimClock::time_point now);

    CSimSession m_Session;
    CSimReplyQueue m_Delayed;
    std::string m_strOut;  // replies due now, not yet taken by the master
    int m_nDelayMs;
    bool m_bVerbose;
    int m_fdMaster = -1;
    int m_fdSlave = -1;
    std::string m_strSlavePath;
    std::optional<SimClock::time_point> m_PausedUntil;
};

// A symlink to the slave path for the simulator's lifetime. A dangling link
// left by an earlier run that was killed is replaced; anything else at the
// path is left alone and reported. On destruction the link is removed only
// if it still points at this simulator's device.
class CSimDeviceLink {
public:
    CSimDeviceLink() = default;
    ~CSimDeviceLink();
    CSimDeviceLink(const CSimDeviceLink&) = delete;
    CSimDeviceLink& operator=(const CSimDeviceLink&) = delete;

    bool Create(const std::string& strTarget, const std::string& strPath, std::string& error);

private:
    std::string m_strTarget;
    std::string m_strPath;
};
