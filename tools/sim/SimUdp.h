#pragma once
// The network end of the simulator: a UDP socket on port 5000 of one
// address (or of every address, which also hears broadcasts). Each datagram
// is one request, answered with at most one datagram to the address and
// port it came from. Datagrams that are empty, longer than
// SIM_MAX_DATAGRAM or hold no well-formed request get no answer.
#include <string>

#include "tools/sim/SimReplyQueue.h"
#include "tools/sim/SimSwitcher.h"
#include "tools/sim/SimTransport.h"

// The longest datagram the control tool accepts; a longer request is
// dropped whole rather than read cut short.
constexpr std::size_t SIM_MAX_DATAGRAM = 2048;

class CSimUdp : public ISimTransport {
public:
    CSimUdp(CSimSwitcher& sw, int nDelayMs, bool bVerbose);
    ~CSimUdp() override;
    CSimUdp(const CSimUdp&) = delete;
    CSimUdp& operator=(const CSimUdp&) = delete;

    // Binds dwIp (host byte order, 0 for every address) and wPort. No
    // address reuse: a second simulator on the same address and port fails
    // here instead of sharing the port unnoticed.
    bool Open(std::uint32_t dwIp, std::uint16_t wPort, std::string& error);
    // "a.b.c.d:port" as bound.
    std::string LocalAddress() const;

    int PollFd() const override { return m_fd; }
    short PollEvents() const override;
    void OnEvents(short revents, SimClock::time_point now) override;
    std::optional<SimClock::time_point> NextDeadline() const override { return m_Delayed.NextDue(); }
    void OnTime(SimClock::time_point now) override;

private:
    // Reads at most one datagram; false when none was waiting.
    bool ReadOne(SimClock::time_point now);
    void Send(const std::string& reply, SimPeer peer);

    CSimSwitcher& m_Switcher;
    CSimReplyQueue m_Delayed;
    int m_nDelayMs;
    bool m_bVerbose;
    int m_fd = -1;
};

std::string SimPeerText(SimPeer peer);
