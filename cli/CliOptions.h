#pragma once
// The command line of corvane-cli, parsed into plain values. Parsing does no
// I/O, so every option and every usage error is testable on its own.
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "link/Ipv4Text.h"
#include "base/WinTypes.h"

namespace corvane::cli {

using Ipv4 = corvane::link::Ipv4;

// An address typed on the command line ("A.B.C.D").
std::optional<Ipv4> ParseAddress(const QString& strText);

// One option: its name without the dashes, the value it takes (empty for a
// flag) and a line for people (empty: listed without one).
struct CliOption {
    QString strName;
    QString strValue;
    QString strHelp;
    QString strShort;  // a one-letter alias, or empty
};

// The options every command takes, in the order the usage lists them.
const std::vector<CliOption>& CommonOptions();

// Values of the commands that write.
struct CliRoute {
    int nOutput = -1;  // 0..3, or -1 for all outputs
    int nInput = 0;    // 0..3
};
struct CliEdid {
    int nInput = 0;  // 0..3
    bool bWrite = false;
    int nMode = 0;
    UINT nFlags = 0;
};
struct CliNet {
    std::optional<Ipv4> ip, mask, gateway;
    std::optional<bool> dhcp;
    bool IsWrite() const { return ip || mask || gateway || dhcp; }
};

constexpr int CLI_DEFAULT_TIMEOUT_MS = 8000;
constexpr int CLI_DEFAULT_SEARCH_WAIT_MS = 3000;
constexpr int CLI_DEFAULT_INTERVAL_MS = 2000;
constexpr int CLI_DEFAULT_LOCAL_PORT = 5001;

struct CliOptions {
    bool bHelp = false;
    QString strHelpFor;  // --help or help of this command; empty for the usage
    bool bVersion = false;

    // Link: exactly one of these for the commands that talk to a switcher.
    QString strPort;  // "COM3" or a device path
    QString strHost;  // dotted IPv4 address
    int nLocalPort = CLI_DEFAULT_LOCAL_PORT;

    int nTimeoutMs = CLI_DEFAULT_TIMEOUT_MS;
    bool bJson = false;
    QString strTrace;

    QString strCommand;  // a name of the command table
    CliRoute route;
    CliEdid edid;
    std::optional<QString> name;  // name TEXT
    CliNet net;
    bool bPowerOn = false;
    std::optional<bool> debugOn;  // debug on|off
    bool bYes = false;
    int nSearchWaitMs = CLI_DEFAULT_SEARCH_WAIT_MS;
    std::optional<Ipv4> broadcast;  // search destination other than 255.255.255.255
    QString strApplyFile;
    bool bWithNetwork = false;
    bool bDryRun = false;
    std::optional<int> intervalMs;  // watch --interval

    bool HasLink() const { return !strPort.isEmpty() || !strHost.isEmpty(); }
};

// How the operator chooses another local UDP port, for the message that the
// one asked for is taken.
QString LocalPortAdvice();

// Fills options from the arguments (without the program name). False with a
// one-line reason on a usage error.
bool CliParse(const QStringList& args, CliOptions& options, QString& strError);

}  // namespace corvane::cli
