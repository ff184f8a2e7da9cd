// main() of the test programs without widgets (serial, network, cli
// process): GoogleTest on a QCoreApplication, so that the test thread is the
// GUI thread. It receives the serial driver's hand-offs and the sockets' and
// processes' notifications while the tests pump its events.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "platform/QtEventLoop.h"

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // the programs' own event loop
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
