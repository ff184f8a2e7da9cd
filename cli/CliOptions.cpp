#include "cli/CliOptions.h"

#include <QCommandLineParser>

#include "cli/CliCommands.h"
#include "link/ComPortText.h"
#include "cli/CommandArgs.h"
#include "link/SerialPort.h"

namespace corvane::cli {

namespace {

std::vector<CliOption> MakeCommonOptions() {
    auto value = [](const char* pszName, const char* pszValue, const char* pszHelp) {
        return CliOption{QString::fromLatin1(pszName), QString::fromLatin1(pszValue), QString::fromLatin1(pszHelp), {}};
    };
    return {
        value("port", "COMn|DEVICE",
              "serial link; COM1..COM10 = /dev/ttyUSB0..9, COM11..20 =\n"
              "/dev/ttyACM0..9, COM21..30 = /dev/ttyS0..9; CORVANE_COMn\n"
              "in the environment names another device for COMn"),
        value("host", "A.B.C.D", "UDP link to the switcher at that address (port 5000)"),
        value("local-port", "N", "this computer's UDP port (default 5001)"),
        value("timeout", "S", "how long to wait for each answer (default 8)"),
        {QStringLiteral("json"), {}, QStringLiteral("one JSON object per result"), {}},
        value("trace", "FILE", "append every frame sent and received to FILE"),
        {QStringLiteral("version"), {}, {}, {}},
        {QStringLiteral("help"), {}, {}, QStringLiteral("h")},
    };
}

void AddOption(QCommandLineParser& p, const CliOption& option) {
    QStringList names{option.strName};
    if (!option.strShort.isEmpty()) names.prepend(option.strShort);
    p.addOption(QCommandLineOption(names, QString(), option.strValue));
}

// The common options, then each command's own (an option several commands
// share is added once).
void AddOptions(QCommandLineParser& p) {
    for (const CliOption& option : CommonOptions()) AddOption(p, option);
    QStringList added;
    for (const CliCommand& c : CliCommands()) {
        for (const CliOption& option : c.options) {
            if (added.contains(option.strName)) continue;
            added << option.strName;
            AddOption(p, option);
        }
    }
}

bool ParseLink(const QCommandLineParser& p, CliOptions& o, QString& strError) {
    o.strPort = p.value(QStringLiteral("port"));
    o.strHost = p.value(QStringLiteral("host"));
    if (p.isSet(QStringLiteral("port")) && o.strPort.isEmpty()) return strError = "--port needs a port", false;
    if (!o.strPort.isEmpty() && corvane::link::ParseComPort(o.strPort) < 0) {
        strError =
            QStringLiteral("--port takes COM1..COM%1 or a device path, not '%2'").arg(MaxSerialPortNum).arg(o.strPort);
        return false;
    }
    if (p.isSet(QStringLiteral("host"))) {
        const std::optional<Ipv4> ip = ParseAddress(o.strHost);
        if (!ip) return strError = QStringLiteral("--host takes an address A.B.C.D, not '%1'").arg(o.strHost), false;
        // A command goes to one switcher, never to all of them.
        if (*ip == Ipv4{0, 0, 0, 0} || *ip == Ipv4{255, 255, 255, 255})
            return strError = QStringLiteral("--host takes one switcher's address, not %1").arg(o.strHost), false;
    }
    if (!o.strPort.isEmpty() && !o.strHost.isEmpty()) return strError = "choose one link: --port or --host", false;
    if (p.isSet(QStringLiteral("local-port"))) {
        bool bOk = false;
        o.nLocalPort = p.value(QStringLiteral("local-port")).toInt(&bOk);
        if (!bOk || o.nLocalPort < 1 || o.nLocalPort > 65535)
            return strError = "--local-port takes a port number 1..65535", false;
    }
    return true;
}

bool Owns(const CliCommand& c, const QString& strOption) {
    for (const CliOption& option : c.options) {
        if (option.strName == strOption) return true;
    }
    return false;
}

// An option that belongs to other commands only.
bool CheckForeignOptions(const QCommandLineParser& p, const CliCommand& command, QString& strError) {
    for (const CliCommand& c : CliCommands()) {
        for (const CliOption& option : c.options) {
            if (p.isSet(option.strName) && !Owns(command, option.strName)) {
                strError = QStringLiteral("--%1 does not go with %2").arg(option.strName, command.strName);
                return false;
            }
        }
    }
    return true;
}

// --help (or -h) with a known command asks for that command's help.
void ParseHelp(const QCommandLineParser& p, CliOptions& o) {
    const QStringList positional = p.positionalArguments();
    if (!positional.isEmpty() && FindCommand(positional.first())) o.strHelpFor = positional.first();
}

}  // namespace

std::optional<Ipv4> ParseAddress(const QString& strText) { return corvane::link::ParseIpv4(strText.toStdString()); }

const std::vector<CliOption>& CommonOptions() {
    static const std::vector<CliOption> options = MakeCommonOptions();
    return options;
}

QString LocalPortAdvice() { return QStringLiteral("choose another with --local-port"); }

bool CliParse(const QStringList& args, CliOptions& o, QString& strError) {
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    AddOptions(p);
    if (!p.parse(QStringList{QStringLiteral("corvane-cli")} + args)) {
        strError = p.errorText();
        return false;
    }
    o.bHelp = p.isSet(QStringLiteral("help"));
    o.bVersion = p.isSet(QStringLiteral("version"));
    if (o.bHelp) ParseHelp(p, o);
    if (o.bHelp || o.bVersion) return true;

    o.bJson = p.isSet(QStringLiteral("json"));
    o.strTrace = p.value(QStringLiteral("trace"));
    if (p.isSet(QStringLiteral("trace")) && o.strTrace.isEmpty()) return strError = "--trace needs a file", false;
    o.bYes = p.isSet(QStringLiteral("yes"));
    if (!ParseLink(p, o, strError)) return false;
    if (p.isSet(QStringLiteral("timeout")) && !ParseSeconds(p.value(QStringLiteral("timeout")), 0.1, o.nTimeoutMs))
        return strError = "--timeout takes seconds, 0.1 to 3600", false;

    QStringList positional = p.positionalArguments();
    if (positional.isEmpty()) return strError = "no command given", false;
    o.strCommand = positional.takeFirst();
    const CliCommand* pCommand = FindCommand(o.strCommand);
    if (!pCommand) return strError = QStringLiteral("unknown command '%1'").arg(o.strCommand), false;
    if (!CheckForeignOptions(p, *pCommand, strError)) return false;
    CommandArgs commandArgs(p, positional, o, strError);
    if (!pCommand->parse(commandArgs)) return false;
    return pCommand->link != LinkUse::Needed || commandArgs.NeedsLink();
}

}  // namespace corvane::cli
