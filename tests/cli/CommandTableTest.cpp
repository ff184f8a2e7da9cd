// The command table drives the usage, each command's help and the parser:
// every command it declares is listed, helped and parsed with its own
// options, and refuses the options of the others.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/CliCommands.h"
#include "cli/CliHelp.h"

using namespace corvane::cli;

namespace {

// The smallest command line each command accepts, after the link.
QStringList Minimal(const QString& strName) {
    if (strName == "route") return {"route", "1", "2"};
    if (strName == "edid") return {"edid", "1", "1080p"};
    if (strName == "power") return {"power", "on"};
    if (strName == "restart" || strName == "defaults") return {strName, "--yes"};
    if (strName == "apply") return {"apply", "room.json"};
    return {strName};
}

// The link part of a command line the command takes.
QStringList Link(const CliCommand& c) {
    if (c.link == LinkUse::None) return {};
    return {"--port", "COM1"};
}

// A value each option of the table takes.
QString ValueFor(const CliOption& option) {
    if (option.strValue == "A.B.C.D") return "10.0.0.7";
    if (option.strValue == "on|off") return "on";
    if (option.strValue == "S") return "1";
    if (option.strValue == "2.0|5.1|7.1") return "5.1";
    return QString();
}

QStringList WithOption(const CliCommand& c, const CliOption& option) {
    QStringList args = Link(c) + Minimal(c.strName) + QStringList{"--" + option.strName};
    if (!option.strValue.isEmpty()) args << ValueFor(option);
    return args;
}

bool Parses(const QStringList& args, CliOptions& o, QString& strError) { return CliParse(args, o, strError); }

}  // namespace

TEST(CommandTable, EveryCommandIsListedHelpedAndParsed) {
    const QString strUsage = CliUsage();
    ASSERT_GE(CliCommands().size(), 14u);
    for (const CliCommand& c : CliCommands()) {
        SCOPED_TRACE(c.strName.toStdString());
        EXPECT_EQ(FindCommand(c.strName), &c);
        ASSERT_FALSE(c.usage.empty());
        ASSERT_TRUE(c.parse && c.run);
        const QString strHelp = CommandHelp(c);
        for (const UsageLine& line : c.usage) {
            EXPECT_TRUE(line.first.startsWith(c.strName)) << line.first.toStdString();
            EXPECT_TRUE(strUsage.contains("\n  " + line.first)) << line.first.toStdString();
            EXPECT_TRUE(strHelp.contains("\n  " + line.first)) << line.first.toStdString();
        }
        for (const CliOption& option : c.options) {
            EXPECT_TRUE(strHelp.contains("  --" + option.strName)) << option.strName.toStdString();
            EXPECT_FALSE(option.strHelp.isEmpty()) << option.strName.toStdString();
        }
        CliOptions o;
        QString strError;
        EXPECT_TRUE(Parses(Link(c) + Minimal(c.strName), o, strError)) << strError.toStdString();
        EXPECT_EQ(o.strCommand, c.strName);
    }
    EXPECT_FALSE(FindCommand("Status"));
    EXPECT_FALSE(FindCommand(""));
}

TEST(CommandTable, OptionsGoWithTheirOwnCommandsOnly) {
    for (const CliCommand& c : CliCommands()) {
        for (const CliOption& option : c.options) {
            SCOPED_TRACE((c.strName + " --" + option.strName).toStdString());
            CliOptions o;
            QString strError;
            EXPECT_TRUE(Parses(WithOption(c, option), o, strError)) << strError.toStdString();
            for (const CliCommand& other : CliCommands()) {
                const bool bShared = std::any_of(other.options.begin(), other.options.end(),
                                                 [&](const CliOption& x) { return x.strName == option.strName; });
                if (bShared) continue;
                CliOptions refused;
                EXPECT_FALSE(Parses(WithOption(other, option), refused, strError)) << other.strName.toStdString();
                EXPECT_EQ(strError, "--" + option.strName + " does not go with " + other.strName);
            }
        }
    }
}

TEST(CommandTable, HelpCommandIsCommandDashDashHelp) {
    for (const CliCommand& c : CliCommands()) {
        SCOPED_TRACE(c.strName.toStdString());
        CliOptions viaHelp, viaOption;
        QString strError;
        ASSERT_TRUE(CliParse({"help", c.strName}, viaHelp, strError)) << strError.toStdString();
        // With whatever else the command line holds, even a wrong argument.
        ASSERT_TRUE(CliParse({"--port", "COM1", c.strName, "bogus", "--help"}, viaOption, strError));
        EXPECT_TRUE(viaHelp.bHelp);
        EXPECT_TRUE(viaOption.bHelp);
        EXPECT_EQ(viaHelp.strHelpFor, c.strName);
        EXPECT_EQ(viaOption.strHelpFor, c.strName);
    }
    CliOptions o;
    QString strError;
    ASSERT_TRUE(CliParse({"help"}, o, strError));
    EXPECT_TRUE(o.bHelp);
    EXPECT_TRUE(o.strHelpFor.isEmpty());
    // --help without a command, or with one the table does not know, is the usage.
    ASSERT_TRUE(CliParse({"frobnicate", "-h"}, o, strError));
    EXPECT_TRUE(o.strHelpFor.isEmpty());
    EXPECT_FALSE(CliParse({"help", "frobnicate"}, o, strError));
    EXPECT_EQ(strError, "help: unknown command 'frobnicate'");
    EXPECT_FALSE(CliParse({"help", "route", "edid"}, o, strError));
}

TEST(CommandTable, HelpSaysWhichLinkACommandUses) {
    EXPECT_TRUE(
        CommandHelp(*FindCommand("status")).contains("Link: --port COMn|DEVICE | --host A.B.C.D (one of them)"));
    EXPECT_TRUE(CommandHelp(*FindCommand("apply")).contains("when given"));
    EXPECT_TRUE(CommandHelp(*FindCommand("search")).contains("Link: none"));
    // Long synopses stand on a line of their own, the description below.
    EXPECT_TRUE(
        CliUsage().contains("  net [--ip A --mask M --gw G --dhcp on|off]\n"
                            "                               read the network parameters"));
    EXPECT_TRUE(CliUsage().contains("\n  --version, --help\n"));
}
