#include "cli/CliHelp.h"

#include <cstdio>

#include "cli/CliSession.h"

namespace corvane::cli {

namespace {

// Where the descriptions start: after the commands' and after the options'
// left column (two blanks, the column, one blank).
constexpr int COMMAND_COLUMN = 28;
constexpr int OPTION_COLUMN = 20;

const char* const LINK_SYNOPSIS = "--port COMn|DEVICE | --host A.B.C.D";

// "  left    right", the right side's further lines below it; a left side
// too wide for its column stands on a line of its own.
QString Entry(const QString& strLeft, const QString& strRight, int nColumn) {
    const QString strIndent(2 + nColumn + 1, QLatin1Char(' '));
    const QStringList lines = strRight.split(QLatin1Char('\n'));
    QString strText = QStringLiteral("  ") + strLeft;
    if (strRight.isEmpty()) return strText + QLatin1Char('\n');
    if (strLeft.size() <= nColumn)
        strText = strText.leftJustified(2 + nColumn + 1) + lines.first();
    else
        strText += QLatin1Char('\n') + strIndent + lines.first();
    strText += QLatin1Char('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) strText += strIndent + lines[i] + QLatin1Char('\n');
    return strText;
}

QString OptionSynopsis(const CliOption& option) {
    QString strText = QStringLiteral("--") + option.strName;
    if (!option.strValue.isEmpty()) strText += QLatin1Char(' ') + option.strValue;
    return strText;
}

QString CommandLines(const CliCommand& command) {
    QString strText;
    for (const UsageLine& line : command.usage) strText += Entry(line.first, line.second, COMMAND_COLUMN);
    return strText;
}

// The options with a line of their own; those without one share the last line.
QString OptionLines(const std::vector<CliOption>& options) {
    QString strText;
    QStringList bare;
    for (const CliOption& option : options) {
        if (option.strHelp.isEmpty())
            bare << OptionSynopsis(option);
        else
            strText += Entry(OptionSynopsis(option), option.strHelp, OPTION_COLUMN);
    }
    if (!bare.isEmpty()) strText += Entry(bare.join(QLatin1String(", ")), QString(), OPTION_COLUMN);
    return strText;
}

QString LinkLine(const CliCommand& command) {
    switch (command.link) {
    case LinkUse::Needed: return QStringLiteral("Link: %1 (one of them).\n").arg(QLatin1String(LINK_SYNOPSIS));
    case LinkUse::Optional: return QStringLiteral("Link: %1 when given.\n").arg(QLatin1String(LINK_SYNOPSIS));
    case LinkUse::None: return QStringLiteral("Link: none.\n");
    }
    return QString();
}

}  // namespace

QString CliUsage() {
    QString strText = QStringLiteral(
                          "Usage: corvane-cli (%1) [options] COMMAND [arguments]\n"
                          "Scripted control of the Corvane 4x4 HDMI matrix switcher, over a serial port or UDP.\n"
                          "\n"
                          "Commands:\n")
                          .arg(QLatin1String(LINK_SYNOPSIS));
    for (const CliCommand& c : CliCommands()) strText += CommandLines(c);
    strText += QStringLiteral("\nOptions:\n") + OptionLines(CommonOptions());
    strText += QStringLiteral(
        "\n"
        "Exit status: 0 done, 1 no answer or refused, 2 usage, 3 the link could not be opened,\n"
        "4 the results or the trace could not be written.\n");
    return strText;
}

QString CommandHelp(const CliCommand& command) {
    QString strText = QStringLiteral("Usage of %1:\n").arg(command.strName) + CommandLines(command);
    if (!command.options.empty())
        strText += QStringLiteral("\nOptions of %1:\n").arg(command.strName) + OptionLines(command.options);
    strText += QLatin1Char('\n') + LinkLine(command);
    strText += QStringLiteral("The options every command takes: corvane-cli --help\n");
    return strText;
}

int PrintHelp(const CliOptions& o) {
    const CliCommand* pCommand = o.strHelpFor.isEmpty() ? nullptr : FindCommand(o.strHelpFor);
    std::fputs(qPrintable(pCommand ? CommandHelp(*pCommand) : CliUsage()), stdout);
    return EXIT_DONE;
}

}  // namespace corvane::cli
