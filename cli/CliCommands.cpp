#include "cli/CliCommands.h"

#include "cli/CliApply.h"
#include "cli/CliHelp.h"
#include "cli/CliRunner.h"
#include "cli/CliSearch.h"
#include "cli/CliWatch.h"
#include "cli/CommandArgs.h"
#include "link/EdidModes.h"

namespace corvane::cli {

namespace {

using RunnerCall = int (Runner::*)();

// A command of Runner, on the link opened for it.
template <RunnerCall fn>
int OnLink(const CliOptions& o, Session* pSession, const Output& out) {
    return (Runner(o, *pSession, out).*fn)();
}

int SearchNetwork(const CliOptions& o, Session*, const Output& out) { return RunSearch(o, out); }
int ApplyFile(const CliOptions& o, Session* pSession, const Output& out) { return RunApply(o, pSession, out); }
int WatchLink(const CliOptions& o, Session* pSession, const Output& out) { return RunWatch(o, *pSession, out); }
int ShowHelp(const CliOptions& o, Session*, const Output&) { return PrintHelp(o); }

CliOption Flag(const char* pszName, const QString& strHelp) { return {QString::fromLatin1(pszName), {}, strHelp, {}}; }
CliOption Value(const char* pszName, const char* pszValue, const QString& strHelp) {
    return {QString::fromLatin1(pszName), QString::fromLatin1(pszValue), strHelp, {}};
}

// The option bits of the window's EDID page, then the audio channels.
std::vector<CliOption> EdidOptions() {
    std::vector<CliOption> options;
    for (const EdidOptionName& f : EDID_OPTIONS)
        options.push_back(Flag(f.pszWord, QStringLiteral("EDID option %1").arg(QLatin1String(f.pszText))));
    options.push_back(Value("ch", "2.0|5.1|7.1", QStringLiteral("audio channels")));
    return options;
}

const CliOption YES = Flag("yes", QStringLiteral("confirm: this changes the switcher for good"));

std::vector<CliCommand> MakeCommands() {
    using namespace CommandParsers;
    return {
        {QStringLiteral("status"),
         {{QStringLiteral("status"), QStringLiteral("routing of the four outputs")}},
         {},
         LinkUse::Needed,
         NoArguments,
         OnLink<&Runner::Status>},
        {QStringLiteral("route"),
         {{QStringLiteral("route OUT IN"), QStringLiteral("route output OUT (1..4) to input IN (1..4)")},
          {QStringLiteral("route all IN"), QStringLiteral("route every output to input IN")}},
         {},
         LinkUse::Needed,
         Route,
         OnLink<&Runner::Route>},
        {QStringLiteral("edid"),
         {{QStringLiteral("edid IN"), QStringLiteral("read the EDID mode and options of input IN")},
          {QStringLiteral("edid IN MODE [--hdr --3d --30bit --36bit --48bit --ch 2.0|5.1|7.1]"),
           QStringLiteral("apply an EDID mode: 1080p, 4k30, 4k60-420,\n"
                          "4k60-444, tv1..tv4 (copy from the display), or 0..7")}},
         EdidOptions(),
         LinkUse::Needed,
         Edid,
         OnLink<&Runner::Edid>},
        {QStringLiteral("name"),
         {{QStringLiteral("name [TEXT]"), QStringLiteral("read the switcher's name, or set it (16 characters)")}},
         {},
         LinkUse::Needed,
         Name,
         OnLink<&Runner::Name>},
        {QStringLiteral("net"),
         {{QStringLiteral("net [--ip A --mask M --gw G --dhcp on|off]"),
           QStringLiteral("read the network parameters, or save the given ones")}},
         {Value("ip", "A.B.C.D", QStringLiteral("the switcher's IP address")),
          Value("mask", "A.B.C.D", QStringLiteral("its net mask")),
          Value("gw", "A.B.C.D", QStringLiteral("its router (gateway)")),
          Value("dhcp", "on|off", QStringLiteral("whether it takes its address from a DHCP server"))},
         LinkUse::Needed,
         Net,
         OnLink<&Runner::Net>},
        {QStringLiteral("power"),
         {{QStringLiteral("power on|off"), QStringLiteral("power the switcher up or down")}},
         {},
         LinkUse::Needed,
         Power,
         OnLink<&Runner::Power>},
        {QStringLiteral("restart"),
         {{QStringLiteral("restart --yes"), QStringLiteral("restart the switcher")}},
         {YES},
         LinkUse::Needed,
         Confirmed,
         OnLink<&Runner::Restart>},
        {QStringLiteral("defaults"),
         {{QStringLiteral("defaults --yes"), QStringLiteral("restore the factory defaults")}},
         {YES},
         LinkUse::Needed,
         Confirmed,
         OnLink<&Runner::Defaults>},
        {QStringLiteral("debug"),
         {{QStringLiteral("debug [on|off]"), QStringLiteral("read or set the debug mode")}},
         {},
         LinkUse::Needed,
         Debug,
         OnLink<&Runner::Debug>},
        {QStringLiteral("load"),
         {{QStringLiteral("load"), QStringLiteral("the whole configuration (use --json for a snapshot)")}},
         {},
         LinkUse::Needed,
         NoArguments,
         OnLink<&Runner::Load>},
        {QStringLiteral("search"),
         {{QStringLiteral("search [--wait S] [--broadcast A.B.C.D]"),
           QStringLiteral("find switchers on the network (UDP broadcast)")}},
         {Value("wait", "S", QStringLiteral("how long to collect answers, 0 to 3600 (default 3)")),
          Value("broadcast", "A.B.C.D", QStringLiteral("send the request there instead of 255.255.255.255"))},
         LinkUse::None,
         Search,
         SearchNetwork},
        {QStringLiteral("apply"),
         {{QStringLiteral("apply FILE [--with-network] [--dry-run]"),
           QStringLiteral("send the settings of a snapshot made by load --json")}},
         {Flag("with-network", QStringLiteral("send the snapshot's network parameters too")),
          Flag("dry-run", QStringLiteral("print the frames instead of sending them; without a link,\n"
                                         "every frame the file holds"))},
         LinkUse::Optional,
         Apply,
         ApplyFile},
        {QStringLiteral("watch"),
         {{QStringLiteral("watch [--interval S]"),
           QStringLiteral("print each change of the switcher's state until Ctrl-C")}},
         {Value("interval", "S", QStringLiteral("how often to poll, 0.1 to 3600 (default 1 over UDP, 2 over serial)"))},
         LinkUse::Needed,
         Watch,
         WatchLink},
        {QStringLiteral("help"),
         {{QStringLiteral("help [COMMAND]"), QStringLiteral("this text, or the arguments and options of one command\n"
                                                            "(as COMMAND --help)")}},
         {},
         LinkUse::None,
         Help,
         ShowHelp},
    };
}

}  // namespace

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = MakeCommands();
    return commands;
}

const CliCommand* FindCommand(const QString& strName) {
    for (const CliCommand& c : CliCommands()) {
        if (c.strName == strName) return &c;
    }
    return nullptr;
}

}  // namespace corvane::cli
