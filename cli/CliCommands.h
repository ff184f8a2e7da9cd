#pragma once
// The commands of corvane-cli, each declared once: its name, its lines of
// the usage, the options that belong to it, the link it uses, how its
// arguments are parsed and how it runs. The usage, `help COMMAND` and
// `COMMAND --help` are written from this table, and the parser and main()
// go through it.
#include <QString>
#include <utility>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"

namespace corvane::cli {

class Session;
class CommandArgs;

// The link a command uses.
enum class LinkUse {
    Needed,    // --port or --host, opened before it runs
    Optional,  // opened when given (apply)
    None,      // never opened (search, help)
};

// A line of the usage: what is typed, and what it does (more lines after a
// line break).
using UsageLine = std::pair<QString, QString>;

struct CliCommand {
    QString strName;
    std::vector<UsageLine> usage;
    std::vector<CliOption> options;
    LinkUse link = LinkUse::Needed;
    // The positional arguments and the command's own options into the
    // options; false with the reason on a usage error.
    bool (*parse)(CommandArgs& args) = nullptr;
    // Runs on the open link (pSession null for LinkUse::None, and for
    // LinkUse::Optional without one); returns the exit status.
    int (*run)(const CliOptions& options, Session* pSession, const Output& out) = nullptr;
};

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& CliCommands();
// The command of that exact name, or null.
const CliCommand* FindCommand(const QString& strName);

}  // namespace corvane::cli
