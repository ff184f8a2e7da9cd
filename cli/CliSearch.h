#pragma once
// search: the window's broadcast search from the command line. One line per
// switcher that answers within --wait seconds: number, address, name.
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"

namespace corvane::cli {

int RunSearch(const CliOptions& options, const Output& out);

// Ends a running search early (a termination signal).
void InterruptSearch();

}  // namespace corvane::cli
