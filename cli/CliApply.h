#pragma once
// apply FILE: brings the switcher to a snapshot written by `load --json`.
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"

namespace corvane::cli {

class Session;

// With a session: loads the switcher's configuration, then sends each
// change and waits for it. Without one (only with --dry-run): lists the
// frames for every item in the file.
int RunApply(const CliOptions& options, Session* pSession, const Output& out);

}  // namespace corvane::cli
