#pragma once
// The command line of corvane-cli, parsed into plain values. Parsing does no
// I/O, so every option and every usage error is testable on its own.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "WinTypes.h"

enum class CliCommand { None, Status, Route, Edid, Name, Net, Power, Restart, Defaults, Debug, Load, Search, Apply, Watch };

using Ipv4 = std::array<BYTE, 4>;

// Values of the commands that write.
struct CliRoute {
    int nOutput = -1;  // 0..3, or -1 for all outputs
    int nInput = 0;    // 0..3
};
struct CliEdid {
    int nInput = 0;     // 0..3
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
    bool bVersion = false;

    // Link: exactly one of these for the commands that talk to a switcher.
    QString strPort;   // "COM3" or a device path
    QString strHost;   // dotted IPv4 address
    int nLocalPort = CLI_DEFAULT_LOCAL_PORT;

    int nTimeoutMs = CLI_DEFAULT_TIMEOUT_MS;
    bool bJson = false;
    QString strTrace;

    CliCommand command = CliCommand::None;
    QString strCommand;  // as typed, for messages
    CliRoute route;
    CliEdid edid;
    std::optional<QString> name;       // name TEXT
    CliNet net;
    bool bPowerOn = false;
    std::optional<bool> debugOn;        // debug on|off
    bool bYes = false;
    int nSearchWaitMs = CLI_DEFAULT_SEARCH_WAIT_MS;
    std::optional<Ipv4> broadcast;      // search destination other than 255.255.255.255
    QString strApplyFile;
    bool bWithNetwork = false;
    bool bDryRun = false;
    std::optional<int> intervalMs;      // watch --interval

    bool HasLink() const { return !strPort.isEmpty() || !strHost.isEmpty(); }
};

// Fills options from the arguments (without the program name). False with a
// one-line reason on a usage error.
bool CliParse(const QStringList& args, CliOptions& options, QString& strError);

// "A.B.C.D", four decimal numbers 0..255 and nothing else.
std::optional<Ipv4> ParseIpv4(const QString& strText);
QString Ipv4Text(const Ipv4& ip);
// The address as one number, first octet in the top byte (as the UDP link takes it).
DWORD Ipv4HostOrder(const Ipv4& ip);

// Port argument: "COMn" (any case, n 1..30) gives n; a path (with a /) gives 0.
// -1 when it is neither.
int ParseComPort(const QString& strText);

QString CliUsage();
