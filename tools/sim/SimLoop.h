#pragma once
// The single-threaded poll loop: watches every transport and a stop
// descriptor (the signal pipe), and returns once the stop descriptor becomes
// readable. Sleeps in poll() between events; never spins.
#include <vector>

#include "tools/sim/SimTransport.h"

class CSimLoop {
public:
    explicit CSimLoop(int fdStop) : m_fdStop(fdStop) {}
    void Add(ISimTransport* pTransport) { m_Transports.push_back(pTransport); }
    // Returns 0 on a stop request, 1 on a poll failure.
    int Run();

private:
    int TimeoutMs(SimClock::time_point now) const;

    int m_fdStop;
    std::vector<ISimTransport*> m_Transports;
};

// Routes SIGTERM, SIGINT and SIGHUP into a pipe and returns its read end
// (-1 on failure). SIGPIPE is ignored.
int SimInstallStopSignals();
