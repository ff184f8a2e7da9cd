#include "CliOptions.h"

#include <QCommandLineParser>
#include <cmath>

#include "CliFormat.h"
#include "DeviceNameText.h"
#include "DeviceState.h"
#include "EdidModes.h"
#include "SerialPort.h"

namespace {

constexpr double MAX_SECONDS = 3600.0;

struct CommandName {
    const char* pszName;
    CliCommand command;
};
constexpr CommandName COMMANDS[] = {
    {"status", CliCommand::Status}, {"route", CliCommand::Route},     {"edid", CliCommand::Edid},
    {"name", CliCommand::Name},     {"net", CliCommand::Net},         {"power", CliCommand::Power},
    {"restart", CliCommand::Restart}, {"defaults", CliCommand::Defaults}, {"debug", CliCommand::Debug},
    {"load", CliCommand::Load},     {"search", CliCommand::Search},   {"apply", CliCommand::Apply},
    {"watch", CliCommand::Watch},
};

// Options that belong to one command only, by name.
struct CommandOption {
    const char* pszOption;
    CliCommand command;
};
constexpr CommandOption COMMAND_OPTIONS[] = {
    {"hdr", CliCommand::Edid},     {"3d", CliCommand::Edid},       {"30bit", CliCommand::Edid},
    {"36bit", CliCommand::Edid},   {"48bit", CliCommand::Edid},    {"ch", CliCommand::Edid},
    {"ip", CliCommand::Net},       {"mask", CliCommand::Net},      {"gw", CliCommand::Net},
    {"dhcp", CliCommand::Net},     {"wait", CliCommand::Search},   {"broadcast", CliCommand::Search},
    {"with-network", CliCommand::Apply}, {"dry-run", CliCommand::Apply}, {"interval", CliCommand::Watch},
};

void AddOptions(QCommandLineParser& p) {
    auto value = [&](const char* pszName, const char* pszValue) {
        p.addOption(QCommandLineOption(QString::fromLatin1(pszName), QString(), QString::fromLatin1(pszValue)));
    };
    auto flag = [&](const QStringList& names) { p.addOption(QCommandLineOption(names)); };
    flag({"h", "help"});
    flag({"version"});
    value("port", "port");
    value("host", "address");
    value("local-port", "port");
    value("timeout", "seconds");
    flag({"json"});
    value("trace", "file");
    for (const EdidOptionName& f : EDID_OPTIONS) flag({QString::fromLatin1(f.pszWord)});
    value("ch", "channels");
    value("ip", "address");
    value("mask", "address");
    value("gw", "address");
    value("dhcp", "on|off");
    flag({"yes"});
    value("wait", "seconds");
    value("broadcast", "address");
    flag({"with-network"});
    flag({"dry-run"});
    value("interval", "seconds");
}

bool ParseSeconds(const QString& strText, double dMin, int& nMs) {
    bool bOk = false;
    const double d = strText.toDouble(&bOk);
    if (!bOk || !std::isfinite(d) || d < dMin || d > MAX_SECONDS) return false;
    nMs = static_cast<int>(std::lround(d * 1000.0));
    return true;
}

// "1".."4" to 0..3, else -1.
int ParseIndex(const QString& strText) {
    bool bOk = false;
    const int n = strText.toInt(&bOk);
    return bOk && n >= 1 && n <= 4 && strText.trimmed() == strText ? n - 1 : -1;
}

std::optional<bool> ParseOnOff(const QString& strText) {
    if (strText.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0) return true;
    if (strText.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

int ParseEdidMode(const QString& strText) {
    if (const int nMode = EdidModeFromWord(strText); nMode >= 0) return nMode;
    bool bOk = false;
    const int n = strText.toInt(&bOk);
    return bOk && n >= 0 && n < EDID_MODE_COUNT ? n : -1;
}

QString ModeWords() {
    QStringList words;
    for (const EdidModeName& m : EDID_MODES) words << QString::fromLatin1(m.pszWord);
    return words.join(QLatin1String(", "));
}

// Parsing of the command's own positional arguments and options.
class CCommandParser {
public:
    CCommandParser(const QCommandLineParser& p, const QStringList& args, CliOptions& o, QString& strError)
        : m_p(p), m_args(args), m_o(o), m_strError(strError) {}

    bool Parse() {
        switch (m_o.command) {
        case CliCommand::Status:
        case CliCommand::Load:
        case CliCommand::Search:
        case CliCommand::Watch: return Count(0, 0);
        case CliCommand::Restart:
        case CliCommand::Defaults: return Count(0, 0) && NeedsYes();
        case CliCommand::Route: return Route();
        case CliCommand::Edid: return Edid();
        case CliCommand::Name: return Name();
        case CliCommand::Net: return Net();
        case CliCommand::Power: return Power();
        case CliCommand::Debug: return Debug();
        case CliCommand::Apply: return Count(1, 1) && (m_o.strApplyFile = m_args[0], true);
        case CliCommand::None: break;
        }
        return false;
    }

private:
    bool Fail(const QString& strText) {
        m_strError = strText;
        return false;
    }
    bool Count(int nMin, int nMax) {
        if (m_args.size() < nMin) return Fail(QStringLiteral("%1: missing argument").arg(m_o.strCommand));
        if (m_args.size() > nMax)
            return Fail(QStringLiteral("%1: unexpected argument '%2'").arg(m_o.strCommand, m_args[nMax]));
        return true;
    }
    bool NeedsYes() {
        if (m_o.bYes) return true;
        return Fail(QStringLiteral("%1 changes the switcher for good; add --yes to confirm").arg(m_o.strCommand));
    }
    bool Route() {
        if (!Count(2, 2)) return false;
        if (m_args[0].compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
            m_o.route.nOutput = -1;
        } else if ((m_o.route.nOutput = ParseIndex(m_args[0])) < 0) {
            return Fail(QStringLiteral("route: output must be 1..4 or all, not '%1'").arg(m_args[0]));
        }
        if ((m_o.route.nInput = ParseIndex(m_args[1])) < 0)
            return Fail(QStringLiteral("route: input must be 1..4, not '%1'").arg(m_args[1]));
        return true;
    }
    bool Edid() {
        if (!Count(1, 2)) return false;
        if ((m_o.edid.nInput = ParseIndex(m_args[0])) < 0)
            return Fail(QStringLiteral("edid: input must be 1..4, not '%1'").arg(m_args[0]));
        m_o.edid.bWrite = m_args.size() == 2;
        bool bOptions = m_p.isSet(QStringLiteral("ch"));
        for (const EdidOptionName& f : EDID_OPTIONS) bOptions |= m_p.isSet(QString::fromLatin1(f.pszWord));
        if (!m_o.edid.bWrite) {
            if (bOptions) return Fail(QStringLiteral("edid: options need a MODE to apply"));
            return true;
        }
        if ((m_o.edid.nMode = ParseEdidMode(m_args[1])) < 0)
            return Fail(QStringLiteral("edid: MODE must be one of %1 (or 0..7), not '%2'").arg(ModeWords(), m_args[1]));
        for (const EdidOptionName& f : EDID_OPTIONS) {
            if (m_p.isSet(QString::fromLatin1(f.pszWord))) m_o.edid.nFlags |= f.nFlag;
        }
        if (m_p.isSet(QStringLiteral("ch"))) {
            const UINT nAudio = EdidChannelsFromText(m_p.value(QStringLiteral("ch")));
            if (!nAudio) return Fail(QStringLiteral("edid: --ch takes 2.0, 5.1 or 7.1"));
            m_o.edid.nFlags |= nAudio;
        }
        return true;
    }
    bool Name() {
        if (!Count(0, 1)) return false;
        if (m_args.isEmpty()) return true;
        const QString& strName = m_args[0];
        if (const QString strProblem = DeviceNameProblem(strName); !strProblem.isEmpty())
            return Fail(QStringLiteral("name: %1").arg(strProblem));
        m_o.name = strName;
        return true;
    }
    bool Address(const char* pszOption, std::optional<Ipv4>& target) {
        const QString strName = QString::fromLatin1(pszOption);
        if (!m_p.isSet(strName)) return true;
        target = ParseIpv4(m_p.value(strName));
        if (!target) return Fail(QStringLiteral("--%1 takes an address A.B.C.D, not '%2'").arg(strName, m_p.value(strName)));
        return true;
    }
    bool Net() {
        if (!Count(0, 0)) return false;
        if (!Address("ip", m_o.net.ip) || !Address("mask", m_o.net.mask) || !Address("gw", m_o.net.gateway)) return false;
        if (m_p.isSet(QStringLiteral("dhcp"))) {
            m_o.net.dhcp = ParseOnOff(m_p.value(QStringLiteral("dhcp")));
            if (!m_o.net.dhcp) return Fail(QStringLiteral("--dhcp takes on or off"));
        }
        return true;
    }
    bool Power() {
        if (!Count(1, 1)) return false;
        const std::optional<bool> on = ParseOnOff(m_args[0]);
        if (!on) return Fail(QStringLiteral("power takes on or off, not '%1'").arg(m_args[0]));
        m_o.bPowerOn = *on;
        return true;
    }
    bool Debug() {
        if (!Count(0, 1)) return false;
        if (m_args.isEmpty()) return true;
        m_o.debugOn = ParseOnOff(m_args[0]);
        if (!m_o.debugOn) return Fail(QStringLiteral("debug takes on or off, not '%1'").arg(m_args[0]));
        return true;
    }

    const QCommandLineParser& m_p;
    const QStringList& m_args;
    CliOptions& m_o;
    QString& m_strError;
};

bool ParseLink(const QCommandLineParser& p, CliOptions& o, QString& strError) {
    o.strPort = p.value(QStringLiteral("port"));
    o.strHost = p.value(QStringLiteral("host"));
    if (p.isSet(QStringLiteral("port")) && o.strPort.isEmpty()) return strError = "--port needs a port", false;
    if (!o.strPort.isEmpty() && ParseComPort(o.strPort) < 0) {
        strError = QStringLiteral("--port takes COM1..COM%1 or a device path, not '%2'").arg(MaxSerialPortNum).arg(o.strPort);
        return false;
    }
    if (p.isSet(QStringLiteral("host"))) {
        const std::optional<Ipv4> ip = ParseIpv4(o.strHost);
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

bool ParseTimes(const QCommandLineParser& p, CliOptions& o, QString& strError) {
    if (p.isSet(QStringLiteral("timeout")) && !ParseSeconds(p.value(QStringLiteral("timeout")), 0.1, o.nTimeoutMs))
        return strError = "--timeout takes seconds, 0.1 to 3600", false;
    if (p.isSet(QStringLiteral("wait")) && !ParseSeconds(p.value(QStringLiteral("wait")), 0.0, o.nSearchWaitMs))
        return strError = "--wait takes seconds, 0 to 3600", false;
    if (p.isSet(QStringLiteral("interval"))) {
        int nMs = 0;
        if (!ParseSeconds(p.value(QStringLiteral("interval")), 0.1, nMs))
            return strError = "--interval takes seconds, 0.1 to 3600", false;
        o.intervalMs = nMs;
    }
    return true;
}

// Which commands need a link, and which link they may use.
bool CheckLinkUse(const CliOptions& o, QString& strError) {
    if (o.command == CliCommand::Search) {
        if (o.HasLink())
            return strError = "search goes to the whole network: no --port or --host", false;
        return true;
    }
    if (o.command == CliCommand::Apply && o.bDryRun) return true;  // reads the switcher only when a link is given
    if (!o.HasLink()) return strError = QStringLiteral("%1 needs --port or --host").arg(o.strCommand), false;
    return true;
}

}  // namespace

std::optional<Ipv4> ParseIpv4(const QString& strText) {
    const QStringList parts = strText.split(QLatin1Char('.'));
    if (parts.size() != 4) return std::nullopt;
    Ipv4 ip{};
    for (int i = 0; i < 4; ++i) {
        const QString& s = parts[i];
        if (s.isEmpty() || s.size() > 3) return std::nullopt;
        for (QChar c : s)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        const int n = s.toInt();
        if (n > 255) return std::nullopt;
        ip[i] = static_cast<BYTE>(n);
    }
    return ip;
}

QString Ipv4Text(const Ipv4& ip) { return QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]); }

DWORD Ipv4HostOrder(const Ipv4& ip) {
    return (DWORD{ip[0]} << 24) | (DWORD{ip[1]} << 16) | (DWORD{ip[2]} << 8) | DWORD{ip[3]};
}

int ParseComPort(const QString& strText) {
    if (strText.contains(QLatin1Char('/'))) return 0;
    if (!strText.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return -1;
    const QString strNumber = strText.mid(3);
    bool bOk = false;
    const int n = strNumber.toInt(&bOk);
    if (!bOk || strNumber.startsWith(QLatin1Char('+')) || n < 1 || n > MaxSerialPortNum) return -1;
    return n;
}

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
    if (o.bHelp || o.bVersion) return true;

    o.bJson = p.isSet(QStringLiteral("json"));
    o.strTrace = p.value(QStringLiteral("trace"));
    if (p.isSet(QStringLiteral("trace")) && o.strTrace.isEmpty()) return strError = "--trace needs a file", false;
    o.bYes = p.isSet(QStringLiteral("yes"));
    o.bWithNetwork = p.isSet(QStringLiteral("with-network"));
    o.bDryRun = p.isSet(QStringLiteral("dry-run"));
    if (!ParseLink(p, o, strError) || !ParseTimes(p, o, strError)) return false;
    if (p.isSet(QStringLiteral("broadcast"))) {
        o.broadcast = ParseIpv4(p.value(QStringLiteral("broadcast")));
        if (!o.broadcast) return strError = "--broadcast takes an address A.B.C.D", false;
    }

    QStringList positional = p.positionalArguments();
    if (positional.isEmpty()) return strError = "no command given", false;
    o.strCommand = positional.takeFirst();
    for (const CommandName& c : COMMANDS) {
        if (o.strCommand == QLatin1String(c.pszName)) o.command = c.command;
    }
    if (o.command == CliCommand::None) return strError = QStringLiteral("unknown command '%1'").arg(o.strCommand), false;
    for (const CommandOption& c : COMMAND_OPTIONS) {
        if (p.isSet(QString::fromLatin1(c.pszOption)) && c.command != o.command)
            return strError = QStringLiteral("--%1 does not go with %2").arg(QLatin1String(c.pszOption), o.strCommand), false;
    }
    if (o.bYes && o.command != CliCommand::Restart && o.command != CliCommand::Defaults)
        return strError = QStringLiteral("--yes does not go with %1").arg(o.strCommand), false;
    if (!CCommandParser(p, positional, o, strError).Parse()) return false;
    return CheckLinkUse(o, strError);
}

QString CliUsage() {
    return QStringLiteral(
        "Usage: corvane-cli (--port COMn|DEVICE | --host A.B.C.D) [options] COMMAND [arguments]\n"
        "Scripted control of the Corvane 4x4 HDMI matrix switcher, over a serial port or UDP.\n"
        "\n"
        "Commands:\n"
        "  status                       routing of the four outputs\n"
        "  route OUT IN                 route output OUT (1..4) to input IN (1..4)\n"
        "  route all IN                 route every output to input IN\n"
        "  edid IN                      read the EDID mode and options of input IN\n"
        "  edid IN MODE [--hdr --3d --30bit --36bit --48bit --ch 2.0|5.1|7.1]\n"
        "                               apply an EDID mode: 1080p, 4k30, 4k60-420,\n"
        "                               4k60-444, tv1..tv4 (copy from the display), or 0..7\n"
        "  name [TEXT]                  read the switcher's name, or set it (16 characters)\n"
        "  net [--ip A --mask M --gw G --dhcp on|off]\n"
        "                               read the network parameters, or save the given ones\n"
        "  power on|off                 power the switcher up or down\n"
        "  restart --yes                restart the switcher\n"
        "  defaults --yes               restore the factory defaults\n"
        "  debug [on|off]               read or set the debug mode\n"
        "  load                         the whole configuration (use --json for a snapshot)\n"
        "  search [--wait S] [--broadcast A.B.C.D]\n"
        "                               find switchers on the network (UDP broadcast)\n"
        "  apply FILE [--with-network] [--dry-run]\n"
        "                               send the settings of a snapshot made by load --json\n"
        "  watch [--interval S]         print each change of the switcher's state until Ctrl-C\n"
        "\n"
        "Options:\n"
        "  --port COMn|DEVICE   serial link; COM1..COM10 = /dev/ttyUSB0..9, COM11..20 =\n"
        "                       /dev/ttyACM0..9, COM21..30 = /dev/ttyS0..9; CORVANE_COMn\n"
        "                       in the environment names another device for COMn\n"
        "  --host A.B.C.D       UDP link to the switcher at that address (port 5000)\n"
        "  --local-port N       this computer's UDP port (default 5001)\n"
        "  --timeout S          how long to wait for each answer (default 8)\n"
        "  --json               one JSON object per result\n"
        "  --trace FILE         append every frame sent and received to FILE\n"
        "  --version, --help\n"
        "\n"
        "Exit status: 0 done, 1 no answer or refused, 2 usage, 3 the link could not be opened,\n"
        "4 the results or the trace could not be written.\n");
}
