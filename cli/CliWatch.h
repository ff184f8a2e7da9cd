#pragma once
// watch: stays connected and prints a line for each change of the switcher's
// state until interrupted (SIGINT, SIGTERM), then ends with status 0.
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"

namespace corvane::cli {

class Session;

int RunWatch(const CliOptions& options, Session& session, const Output& out);

}  // namespace corvane::cli
