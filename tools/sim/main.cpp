// corvane-sim: a stand-in for the matrix switcher on a pseudo-terminal and,
// with --udp, on UDP port 5000. Both links reach the same register model.
// Prints "serial: <slave path>" and then "udp: <address>:5000" once each
// link is ready, answers requests until SIGTERM, SIGINT or SIGHUP, then
// removes its --link symlink and exits with 0.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "version/CorvaneVersion.h"
#include "tools/sim/SimLoop.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimPty.h"
#include "tools/sim/SimSwitcher.h"
#include "tools/sim/SimUdp.h"

namespace {

// The pseudo-terminal and its optional symlink.
bool OpenPty(const SimOptions& options, CSimPty& pty, CSimDeviceLink& link) {
    std::string error;
    if (!pty.Open(error)) {
        std::fprintf(stderr, "corvane-sim: cannot create the pseudo-terminal: %s\n", error.c_str());
        return false;
    }
    if (!options.strLink.empty() && !link.Create(pty.SlavePath(), options.strLink, error)) {
        std::fprintf(stderr, "corvane-sim: cannot create link %s\n", error.c_str());
        return false;
    }
    return true;
}

bool OpenUdp(const SimOptions& options, CSimUdp& udp) {
    std::string error;
    if (!udp.Open(options.dwUdpIp, SIM_UDP_PORT, error)) {
        std::fprintf(stderr, "corvane-sim: cannot bind the UDP socket %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!SimParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "corvane-sim: %s\n%s", error.c_str(), SimUsage());
        return 2;
    }
    if (options.bHelp) {
        std::fputs(SimUsage(), stdout);
        return 0;
    }
    if (options.bVersion) {
        std::printf("corvane-sim %s\n", CORVANE_VERSION);
        return 0;
    }

    const int fdStop = SimInstallStopSignals();
    if (fdStop < 0) {
        std::perror("corvane-sim: signal pipe");
        return 1;
    }

    CSimSwitcher sw(options.behaviour, SimFactoryValues(options.strName));
    CSimLoop loop(fdStop);
    CSimPty pty(sw, options.nDelayMs, options.bVerbose);
    CSimDeviceLink link;
    if (options.bPty) {
        if (!OpenPty(options, pty, link)) return 1;
        loop.Add(&pty);
    }
    CSimUdp udp(sw, options.nDelayMs, options.bVerbose);
    if (options.bUdp) {
        if (!OpenUdp(options, udp)) return 1;
        loop.Add(&udp);
    }
    // Announced only once every link is ready, so a reader of the first
    // line knows the simulator is fully up.
    if (options.bPty) std::printf("serial: %s\n", pty.SlavePath().c_str());
    if (options.bUdp) std::printf("udp: %s\n", udp.LocalAddress().c_str());
    std::fflush(stdout);
    return loop.Run();
}
