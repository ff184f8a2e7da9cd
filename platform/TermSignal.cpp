#include "platform/TermSignal.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int s_aFds[2] = {-1, -1};

// A hang-up (the terminal that started the tool has closed) ends the tool as
// a termination request does: by default it would kill the process with the
// serial device still open and marked exclusive.
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnTermSignal(int) {
    const char c = 1;
    // Async-signal-safe; a full socket means a request is already pending.
    [[maybe_unused]] ssize_t n = ::write(s_aFds[0], &c, 1);
}

void SetHandler(void (*pfn)(int)) {
    struct sigaction sa {};
    sa.sa_handler = pfn;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int nSignal : kSignals) sigaction(nSignal, &sa, nullptr);
}

}  // namespace

namespace corvane::platform {

TermSignal::TermSignal(std::function<void()> fnOnSignal) : m_fnOnSignal(std::move(fnOnSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_aFds) != 0) return;
    m_pNotifier = new QSocketNotifier(s_aFds[1], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    SetHandler(OnTermSignal);
}

TermSignal::~TermSignal() {
    SetHandler(SIG_DFL);
    delete m_pNotifier;
    m_pNotifier = nullptr;
    for (int& fd : s_aFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void TermSignal::OnReadable() {
    char buf[16];
    while (::read(s_aFds[1], buf, sizeof buf) > 0) {}
    if (m_fnOnSignal) m_fnOnSignal();
}

}  // namespace corvane::platform
