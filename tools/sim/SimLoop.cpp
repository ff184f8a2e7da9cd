#include "tools/sim/SimLoop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

int g_fdSignalWrite = -1;

void OnStopSignal(int) {
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(g_fdSignalWrite, &c, 1);
    errno = saved;
}

}  // namespace

int SimInstallStopSignals() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    g_fdSignalWrite = fds[1];
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return fds[0];
}

int CSimLoop::TimeoutMs(SimClock::time_point now) const {
    std::optional<SimClock::time_point> next;
    for (const ISimTransport* t : m_Transports) {
        if (auto d = t->NextDeadline()) next = next ? std::min(*next, *d) : *d;
    }
    if (!next) return -1;
    if (*next <= now) return 0;
    // Round up so the loop does not wake just before the deadline and spin.
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(*next - now).count();
    return static_cast<int>(std::min<long long>((us + 999) / 1000, 60000));
}

int CSimLoop::Run() {
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign(1, pollfd{m_fdStop, POLLIN, 0});
        for (const ISimTransport* t : m_Transports) fds.push_back(pollfd{t->PollFd(), t->PollEvents(), 0});

        const int rc = poll(fds.data(), fds.size(), TimeoutMs(SimClock::now()));
        if (rc < 0 && errno != EINTR) {
            std::fprintf(stderr, "corvane-sim: poll failed: %s\n", std::strerror(errno));
            return 1;
        }
        if (fds[0].revents != 0) return 0;

        const auto now = SimClock::now();
        for (std::size_t i = 0; i < m_Transports.size(); ++i) {
            if (rc > 0 && fds[i + 1].fd >= 0 && fds[i + 1].revents != 0)
                m_Transports[i]->OnEvents(fds[i + 1].revents, now);
            auto d = m_Transports[i]->NextDeadline();
            if (d && *d <= now) m_Transports[i]->OnTime(now);
        }
    }
}
