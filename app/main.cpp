// corvane: control tool for the 4x4 HDMI matrix switcher.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <optional>

#include "app/Corvane.h"
#include "version/CorvaneVersion.h"
#include "link/FrameTrace.h"
#include "platform/QtEventLoop.h"

namespace {

// Exit status of a command line that cannot be used.
constexpr int EXIT_USAGE = 2;
// Exit status when there is no display to open the window on.
constexpr int EXIT_NO_DISPLAY = 1;

// Options QGuiApplication and QApplication take themselves; accepted here so
// that they are not "unknown", and left for Qt to act on.
const char* const QT_VALUE_OPTIONS[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                        "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                        "style", "stylesheet", "display", "qmljsdebugger"};
const char* const QT_FLAG_OPTIONS[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void SetUpParser(QCommandLineParser& parser) {
    // Qt's own options are single-dash words (-platform offscreen).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Control tool for the Corvane 4x4 HDMI matrix switcher, over a serial port or UDP.\n"
        "COM1..COM30 map to /dev/ttyUSB0-9, /dev/ttyACM0-9, /dev/ttyS0-9; "
        "the environment variable CORVANE_COMn overrides the device of COMn.\n"
        "Needs a display (DISPLAY or WAYLAND_DISPLAY); QT_QPA_PLATFORM=offscreen runs without one."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(QStringLiteral("trace"),
                                        QStringLiteral("Append every frame sent and received to <file>."),
                                        QStringLiteral("file")));
    for (const char* pszName : QT_VALUE_OPTIONS) {
        QCommandLineOption option(QString::fromLatin1(pszName), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* pszName : QT_FLAG_OPTIONS) {
        QCommandLineOption option(QString::fromLatin1(pszName));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// Qt aborts the process when it cannot open its platform; say what is
// missing instead. A platform named on the command line or in
// QT_QPA_PLATFORM is left to Qt.
bool HasDisplay(const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("platform"))) return true;
    for (const char* pszVar : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(pszVar)) return true;
    return false;
}

// Answers what needs no window (usage errors, help, version, no display) and
// returns the exit status; nothing when the window is to be opened.
std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    SetUpParser(parser);
    if (!parser.parse(core.arguments())) {
        std::fprintf(stderr, "corvane: %s\n\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        return EXIT_USAGE;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "corvane: unexpected argument '%s'\n\n%s",
                     qPrintable(parser.positionalArguments().first()), qPrintable(parser.helpText()));
        return EXIT_USAGE;
    }
    if (!HasDisplay(parser)) {
        std::fprintf(stderr, "corvane: no display: DISPLAY and WAYLAND_DISPLAY are unset "
                             "(QT_QPA_PLATFORM=offscreen runs without one)\n");
        return EXIT_NO_DISPLAY;
    }
    if (parser.isSet(QStringLiteral("trace"))) {
        QString strError;
        if (!FrameTrace().Open(parser.value(QStringLiteral("trace")), strError)) {
            std::fprintf(stderr, "corvane: cannot write the trace file %s: %s\n",
                         qPrintable(parser.value(QStringLiteral("trace"))), qPrintable(strError));
            return EXIT_USAGE;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    if (const std::optional<int> nStatus = AnswerWithoutWindow(argc, argv)) return *nStatus;
    QtEventLoop::Choose();
    QApplication app(argc, argv);
    QtEventLoop::Forget();
    theApp.InitInstance();
    FrameTrace().Close();
    return 0;
}
