// corvane-cli: scripted control of the matrix switcher, on the window's own
// protocol and link code. The commands are the table of CliCommands.h.
#include <QCoreApplication>
#include <cstdio>

#include "cli/CliCommands.h"
#include "cli/CliHelp.h"
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/CliSearch.h"
#include "cli/CliSession.h"
#include "version/CorvaneVersion.h"
#include "link/FrameTrace.h"
#include "platform/QtEventLoop.h"
#include "platform/TermSignal.h"

namespace corvane::cli {
namespace {

int OpenLink(const CliOptions& o, Session& session, const Output& out) {
    QString strError;
    const int nStatus = o.strPort.isEmpty() ? session.OpenUdp(o.strHost, o.nLocalPort, strError)
                                            : session.OpenSerial(o.strPort, strError);
    if (nStatus != EXIT_DONE) out.Error(o.strCommand, strError);
    return nStatus;
}

int RunOnLink(const CliOptions& o, const Output& out) {
    Session session;
    // Ctrl-C and SIGTERM end the wait in progress; the link is then closed
    // properly (the serial port's exclusive flag released).
    corvane::platform::TermSignal termSignal([&session] {
        session.Interrupt();
        InterruptSearch();
    });
    const CliCommand& command = *FindCommand(o.strCommand);
    const bool bLink = command.link == LinkUse::Needed || (command.link == LinkUse::Optional && o.HasLink());
    if (!bLink) return command.run(o, nullptr, out);
    int nStatus = OpenLink(o, session, out);
    if (nStatus != EXIT_DONE) return nStatus;
    nStatus = command.run(o, &session, out);
    session.Close();
    return nStatus;
}

// Results that never arrived, or a trace with lines missing, fail the run
// even when the switcher did all that was asked: a script would take an
// empty answer for a good one.
int WithOutputChecked(int nStatus, const CliOptions& o) {
    const QString strResults = Output::ResultsError();
    const QString strTrace = FrameTrace().WriteError();
    if (strResults.isEmpty() && strTrace.isEmpty()) return nStatus;
    if (!strResults.isEmpty())
        std::fprintf(stderr, "corvane-cli: cannot write the results to standard output: %s\n", qPrintable(strResults));
    if (!strTrace.isEmpty())
        std::fprintf(stderr, "corvane-cli: cannot write the trace file %s: %s\n", qPrintable(o.strTrace),
                     qPrintable(strTrace));
    return EXIT_OUTPUT;
}

}  // namespace
}  // namespace corvane::cli

int main(int argc, char** argv) {
    using namespace corvane::cli;
    QtEventLoop::Choose();
    QCoreApplication app(argc, argv);
    QtEventLoop::Forget();
    QCoreApplication::setApplicationName(QStringLiteral("corvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));

    CliOptions o;
    QString strError;
    if (!CliParse(QCoreApplication::arguments().mid(1), o, strError)) {
        std::fprintf(stderr, "corvane-cli: %s\n(corvane-cli --help lists the commands)\n", qPrintable(strError));
        return EXIT_USAGE;
    }
    if (o.bHelp) return WithOutputChecked(PrintHelp(o), o);
    if (o.bVersion) {
        std::printf("corvane-cli %s\n", CORVANE_VERSION);
        return WithOutputChecked(EXIT_DONE, o);
    }
    const Output out(o.bJson);
    if (!o.strTrace.isEmpty() && !FrameTrace().Open(o.strTrace, strError)) {
        out.Error(o.strCommand, QStringLiteral("cannot write the trace file %1: %2").arg(o.strTrace, strError));
        return EXIT_USAGE;
    }
    const int nStatus = RunOnLink(o, out);
    FrameTrace().Close();
    return WithOutputChecked(nStatus, o);
}
