// corvane: control tool for the 4x4 HDMI matrix switcher.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "Corvane.h"
#include "FrameTrace.h"

namespace {

void SetUpParser(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Control tool for the Corvane 4x4 HDMI matrix switcher, over a serial port or UDP.\n"
        "COM1..COM30 map to /dev/ttyUSB0-9, /dev/ttyACM0-9, /dev/ttyS0-9; "
        "the environment variable CORVANE_COMn overrides the device of COMn."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(QStringLiteral("trace"),
                                        QStringLiteral("Append every frame sent and received to <file>."),
                                        QStringLiteral("file")));
}

bool AsksForInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        for (const char* p : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (std::strcmp(a, p) == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.0921"));
    // Help and version need no display: answer them before any window system
    // is opened (process() prints and exits).
    if (AsksForInformation(argc, argv)) {
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        SetUpParser(parser);
        parser.process(core);
        return 0;
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    SetUpParser(parser);
    parser.process(app);   // unknown options: message and exit code 1
    if (parser.isSet(QStringLiteral("trace"))) {
        QString strError;
        if (!FrameTrace().Open(parser.value(QStringLiteral("trace")), strError)) {
            std::fprintf(stderr, "corvane: cannot write the trace file %s: %s\n",
                         qPrintable(parser.value(QStringLiteral("trace"))), qPrintable(strError));
            return 1;
        }
    }
    theApp.InitInstance();
    FrameTrace().Close();
    return 0;
}
