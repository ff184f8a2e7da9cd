#pragma once
// The offscreen platform's screen is 800x600 unless it is told otherwise,
// and a top-level window shrinks to fit the screen it is on. Tests and
// screenshots that look at the main window at its normal size give the
// platform a laptop's screen instead: 1366x768 less a 30 px panel.
// CORVANE_TEST_SCREEN=<width>x<height> picks another size. Call before the
// QApplication is made; other platforms (xcb) are left alone.
#include <QByteArray>
#include <QDir>
#include <QTemporaryFile>
#include <QtGlobal>
#include <cstdio>

inline void UseOffscreenScreen() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "offscreen") return;
    int nWidth = 1366, nHeight = 738;
    const QByteArray size = qgetenv("CORVANE_TEST_SCREEN");
    if (!size.isEmpty() && std::sscanf(size.constData(), "%dx%d", &nWidth, &nHeight) != 2) {
        std::fprintf(stderr, "CORVANE_TEST_SCREEN=%s: expected <width>x<height>\n", size.constData());
        return;
    }
    // Kept for the whole run: the platform reads it when the application starts.
    static QTemporaryFile config(QDir::tempPath() + QStringLiteral("/corvane-screen-XXXXXX.json"));
    if (!config.open()) return;
    config.write(QStringLiteral(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": %1, "height": %2,)"
                                R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                     .arg(nWidth)
                     .arg(nHeight)
                     .toUtf8());
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
}
