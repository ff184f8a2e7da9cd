#pragma once
// The usage of corvane-cli and the help of each command, written from the
// command table and the common options.
#include <QString>

#include "cli/CliCommands.h"

namespace corvane::cli {

// All commands and the common options (--help, help).
QString CliUsage();
// One command: how it is typed, what it does, its own options and its link
// (help COMMAND, COMMAND --help).
QString CommandHelp(const CliCommand& command);
// Prints the usage or, with strHelpFor, that command's help; the exit status.
int PrintHelp(const CliOptions& options);

}  // namespace corvane::cli
