#pragma once
// Command line of corvane-sim. Parsing is pure so every option and every
// error is testable without starting the simulator.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/SimSwitcher.h"

struct SimOptions {
    SimBehaviour behaviour;
    int nDelayMs = 0;
    std::string strLink;  // symlink to the serial device, empty for none
    std::string strName = std::string(SIM_DEFAULT_NAME);
    bool bUdp = false;          // answer on UDP port SIM_UDP_PORT as well
    std::uint32_t dwUdpIp = 0;  // address to bind, host byte order; 0 = every address
    bool bPty = true;
    bool bVerbose = false;
    bool bHelp = false;
    bool bVersion = false;
};

constexpr int SIM_MAX_DELAY_MS = 60000;
// The port the switcher listens on.
constexpr std::uint16_t SIM_UDP_PORT = 5000;

// Fills options from argv (without argv[0]); on a bad argument returns false
// with a one-line reason in error.
bool SimParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

const char* SimUsage();
