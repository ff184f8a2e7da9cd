// GoogleTest on an offscreen QApplication: the main window needs a widget
// application, and no test may depend on a display.
#include <QApplication>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/OffscreenScreen.h"
#include "platform/QtEventLoop.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    UseOffscreenScreen();
    QtEventLoop::Choose();  // the programs' own event loop
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
