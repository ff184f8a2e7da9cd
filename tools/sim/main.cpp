// corvane-sim: a stand-in for the matrix switcher on a pseudo-terminal.
// Prints "serial: <slave path>" as its first line, answers requests until
// SIGTERM or SIGINT, then removes its --link symlink and exits with 0.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "SimLoop.h"
#include "SimOptions.h"
#include "SimPty.h"
#include "SimSwitcher.h"

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

  CSimSwitcher sw(options.behaviour);
  CSimPty pty(sw, options.nDelayMs, options.bVerbose);
  if (!pty.Open(error)) {
    std::fprintf(stderr, "corvane-sim: cannot create the pseudo-terminal: %s\n", error.c_str());
    return 1;
  }
  CSimDeviceLink link;
  if (!options.strLink.empty() && !link.Create(pty.SlavePath(), options.strLink, error)) {
    std::fprintf(stderr, "corvane-sim: cannot create link %s\n", error.c_str());
    return 1;
  }

  std::printf("serial: %s\n", pty.SlavePath().c_str());
  std::fflush(stdout);

  CSimLoop loop(fdStop);
  loop.Add(&pty);
  return loop.Run();
}
