// The test thread is the GUI thread: a QCoreApplication on it receives the
// driver's hand-offs while the tests pump its events.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "QtEventLoop.h"

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // the programs' own event loop
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
