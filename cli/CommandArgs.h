#pragma once
// What one command was given: its positional arguments and the options of
// the command line, with the checks its parser shares. A check that fails
// leaves its one-line reason in the error text and returns false.
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

#include "cli/CliOptions.h"

namespace corvane::cli {

class CommandArgs {
public:
    CommandArgs(const QCommandLineParser& p, const QStringList& args, CliOptions& o, QString& strError)
        : m_p(p), m_args(args), m_o(o), m_strError(strError) {}

    const QStringList& Args() const { return m_args; }
    CliOptions& Options() { return m_o; }
    bool IsSet(const char* pszOption) const { return m_p.isSet(QString::fromLatin1(pszOption)); }
    QString Value(const char* pszOption) const { return m_p.value(QString::fromLatin1(pszOption)); }

    bool Fail(const QString& strText);
    // Between nMin and nMax positional arguments.
    bool Count(int nMin, int nMax);
    // --yes given: the command changes the switcher for good.
    bool NeedsYes();
    // A link given (--port or --host).
    bool NeedsLink();
    // The address of an option, when it is given.
    bool Address(const char* pszOption, std::optional<Ipv4>& target);
    // Seconds of an option, when it is given: dMin up to an hour, in ms.
    bool Seconds(const char* pszOption, double dMin, int& nMs);

private:
    const QCommandLineParser& m_p;
    const QStringList& m_args;
    CliOptions& m_o;
    QString& m_strError;
};

// The parser of each command: its positional arguments and its own options
// into the options.
namespace CommandParsers {
bool NoArguments(CommandArgs& a);
bool Confirmed(CommandArgs& a);  // restart, defaults: --yes
bool Route(CommandArgs& a);
bool Edid(CommandArgs& a);
bool Name(CommandArgs& a);
bool Net(CommandArgs& a);
bool Power(CommandArgs& a);
bool Debug(CommandArgs& a);
bool Search(CommandArgs& a);
bool Apply(CommandArgs& a);
bool Watch(CommandArgs& a);
bool Help(CommandArgs& a);
}  // namespace CommandParsers

// Seconds as the options take them: a number from dMin to an hour, in ms.
bool ParseSeconds(const QString& strText, double dMin, int& nMs);

}  // namespace corvane::cli
