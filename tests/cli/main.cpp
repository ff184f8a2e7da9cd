// GoogleTest with a QCoreApplication, for the cases that run processes and
// sockets.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "QtEventLoop.h"

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // the programs' own event loop
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
