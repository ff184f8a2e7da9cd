#pragma once
// What the simulator's poll loop needs from a link (the pty, the UDP
// socket): one descriptor to watch, the events of interest, and an optional
// deadline for work that waits on time (delayed replies, backing off after
// a hang-up).
#include <optional>

#include "tools/sim/SimReplyQueue.h"

class ISimTransport {
public:
    virtual ~ISimTransport() = default;
    // The descriptor to watch this round, or -1 to leave it out for now.
    virtual int PollFd() const = 0;
    virtual short PollEvents() const = 0;
    virtual void OnEvents(short revents, SimClock::time_point now) = 0;
    virtual std::optional<SimClock::time_point> NextDeadline() const = 0;
    virtual void OnTime(SimClock::time_point now) = 0;
};
