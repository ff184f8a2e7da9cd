#pragma once
// Command line of corvane-sim. Parsing is pure so every option and every
// error is testable without starting the simulator.
#include <string>
#include <vector>

#include "SimSwitcher.h"

struct SimOptions {
  SimBehaviour behaviour;
  int nDelayMs = 0;
  std::string strLink;  // symlink to the serial device, empty for none
  bool bVerbose = false;
  bool bHelp = false;
  bool bVersion = false;
};

constexpr int SIM_MAX_DELAY_MS = 60000;

// Fills options from argv (without argv[0]); on a bad argument returns false
// with a one-line reason in error.
bool SimParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

const char* SimUsage();
