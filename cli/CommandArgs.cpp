#include "cli/CommandArgs.h"

#include <cmath>

#include "cli/CliCommands.h"
#include "cli/CliFormat.h"
#include "link/DeviceNameText.h"
#include "link/EdidModes.h"

namespace corvane::cli {

namespace {

constexpr double MAX_SECONDS = 3600.0;

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

// The EDID options given with a mode: the option bits and the channels.
bool EdidFlags(CommandArgs& a, UINT& nFlags) {
    for (const EdidOptionName& f : EDID_OPTIONS) {
        if (a.IsSet(f.pszWord)) nFlags |= f.nFlag;
    }
    if (!a.IsSet("ch")) return true;
    const UINT nAudio = EdidChannelsFromText(a.Value("ch"));
    if (!nAudio) return a.Fail(QStringLiteral("edid: --ch takes 2.0, 5.1 or 7.1"));
    nFlags |= nAudio;
    return true;
}

bool AnyEdidOption(const CommandArgs& a) {
    bool bAny = a.IsSet("ch");
    for (const EdidOptionName& f : EDID_OPTIONS) bAny |= a.IsSet(f.pszWord);
    return bAny;
}

}  // namespace

bool ParseSeconds(const QString& strText, double dMin, int& nMs) {
    bool bOk = false;
    const double d = strText.toDouble(&bOk);
    if (!bOk || !std::isfinite(d) || d < dMin || d > MAX_SECONDS) return false;
    nMs = static_cast<int>(std::lround(d * 1000.0));
    return true;
}

bool CommandArgs::Fail(const QString& strText) {
    m_strError = strText;
    return false;
}

bool CommandArgs::Count(int nMin, int nMax) {
    if (m_args.size() < nMin) return Fail(QStringLiteral("%1: missing argument").arg(m_o.strCommand));
    if (m_args.size() > nMax)
        return Fail(QStringLiteral("%1: unexpected argument '%2'").arg(m_o.strCommand, m_args[nMax]));
    return true;
}

bool CommandArgs::NeedsYes() {
    if (m_o.bYes) return true;
    return Fail(QStringLiteral("%1 changes the switcher for good; add --yes to confirm").arg(m_o.strCommand));
}

bool CommandArgs::NeedsLink() {
    if (m_o.HasLink()) return true;
    return Fail(QStringLiteral("%1 needs --port or --host").arg(m_o.strCommand));
}

bool CommandArgs::Address(const char* pszOption, std::optional<Ipv4>& target) {
    if (!IsSet(pszOption)) return true;
    target = ParseAddress(Value(pszOption));
    if (target) return true;
    return Fail(
        QStringLiteral("--%1 takes an address A.B.C.D, not '%2'").arg(QLatin1String(pszOption), Value(pszOption)));
}

bool CommandArgs::Seconds(const char* pszOption, double dMin, int& nMs) {
    if (!IsSet(pszOption) || ParseSeconds(Value(pszOption), dMin, nMs)) return true;
    return Fail(QStringLiteral("--%1 takes seconds, %2 to %3")
                    .arg(QLatin1String(pszOption), QString::number(dMin), QString::number(MAX_SECONDS)));
}

namespace CommandParsers {

bool NoArguments(CommandArgs& a) { return a.Count(0, 0); }

bool Confirmed(CommandArgs& a) { return a.Count(0, 0) && a.NeedsYes(); }

bool Route(CommandArgs& a) {
    if (!a.Count(2, 2)) return false;
    const QStringList& args = a.Args();
    CliRoute& route = a.Options().route;
    if (args[0].compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        route.nOutput = -1;
    } else if ((route.nOutput = ParseIndex(args[0])) < 0) {
        return a.Fail(QStringLiteral("route: output must be 1..4 or all, not '%1'").arg(args[0]));
    }
    if ((route.nInput = ParseIndex(args[1])) < 0)
        return a.Fail(QStringLiteral("route: input must be 1..4, not '%1'").arg(args[1]));
    return true;
}

bool Edid(CommandArgs& a) {
    if (!a.Count(1, 2)) return false;
    const QStringList& args = a.Args();
    CliEdid& edid = a.Options().edid;
    if ((edid.nInput = ParseIndex(args[0])) < 0)
        return a.Fail(QStringLiteral("edid: input must be 1..4, not '%1'").arg(args[0]));
    edid.bWrite = args.size() == 2;
    if (!edid.bWrite) {
        if (AnyEdidOption(a)) return a.Fail(QStringLiteral("edid: options need a MODE to apply"));
        return true;
    }
    if ((edid.nMode = ParseEdidMode(args[1])) < 0)
        return a.Fail(QStringLiteral("edid: MODE must be one of %1 (or 0..7), not '%2'").arg(ModeWords(), args[1]));
    return EdidFlags(a, edid.nFlags);
}

bool Name(CommandArgs& a) {
    if (!a.Count(0, 1)) return false;
    if (a.Args().isEmpty()) return true;
    const QString& strName = a.Args()[0];
    if (const QString strProblem = DeviceNameProblem(strName); !strProblem.isEmpty())
        return a.Fail(QStringLiteral("name: %1").arg(strProblem));
    a.Options().name = strName;
    return true;
}

bool Net(CommandArgs& a) {
    if (!a.Count(0, 0)) return false;
    CliNet& net = a.Options().net;
    if (!a.Address("ip", net.ip) || !a.Address("mask", net.mask) || !a.Address("gw", net.gateway)) return false;
    if (a.IsSet("dhcp")) {
        net.dhcp = ParseOnOff(a.Value("dhcp"));
        if (!net.dhcp) return a.Fail(QStringLiteral("--dhcp takes on or off"));
    }
    return true;
}

bool Power(CommandArgs& a) {
    if (!a.Count(1, 1)) return false;
    const std::optional<bool> on = ParseOnOff(a.Args()[0]);
    if (!on) return a.Fail(QStringLiteral("power takes on or off, not '%1'").arg(a.Args()[0]));
    a.Options().bPowerOn = *on;
    return true;
}

bool Debug(CommandArgs& a) {
    if (!a.Count(0, 1)) return false;
    if (a.Args().isEmpty()) return true;
    std::optional<bool>& debugOn = a.Options().debugOn;
    debugOn = ParseOnOff(a.Args()[0]);
    if (!debugOn) return a.Fail(QStringLiteral("debug takes on or off, not '%1'").arg(a.Args()[0]));
    return true;
}

bool Search(CommandArgs& a) {
    CliOptions& o = a.Options();
    if (!a.Seconds("wait", 0.0, o.nSearchWaitMs)) return false;
    if (a.IsSet("broadcast")) {
        o.broadcast = ParseAddress(a.Value("broadcast"));
        if (!o.broadcast) return a.Fail(QStringLiteral("--broadcast takes an address A.B.C.D"));
    }
    if (!a.Count(0, 0)) return false;
    if (o.HasLink()) return a.Fail(QStringLiteral("search goes to the whole network: no --port or --host"));
    return true;
}

bool Apply(CommandArgs& a) {
    if (!a.Count(1, 1)) return false;
    CliOptions& o = a.Options();
    o.strApplyFile = a.Args()[0];
    o.bWithNetwork = a.IsSet("with-network");
    o.bDryRun = a.IsSet("dry-run");
    // Without a link only what would be sent can be shown.
    return o.bDryRun || a.NeedsLink();
}

bool Watch(CommandArgs& a) {
    CliOptions& o = a.Options();
    if (a.IsSet("interval")) {
        int nMs = 0;
        if (!a.Seconds("interval", 0.1, nMs)) return false;
        o.intervalMs = nMs;
    }
    return a.Count(0, 0);
}

bool Help(CommandArgs& a) {
    if (!a.Count(0, 1)) return false;
    CliOptions& o = a.Options();
    o.bHelp = true;
    if (a.Args().isEmpty()) return true;
    if (!FindCommand(a.Args()[0])) return a.Fail(QStringLiteral("help: unknown command '%1'").arg(a.Args()[0]));
    o.strHelpFor = a.Args()[0];
    return true;
}

}  // namespace CommandParsers

}  // namespace corvane::cli
