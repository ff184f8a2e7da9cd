// The programs' event-loop choice: Qt's own loop unless the user said
// otherwise, and an environment for later programs as it was before.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "platform/QtEventLoop.h"

// This test program chose the loop as the programs do, before its
// application object was made.
TEST(QtEventLoopChoice, TheApplicationRunsQtsOwnLoopAndLaterProgramsSeeNoChange) {
    const char* pszDispatcher = QAbstractEventDispatcher::instance()->metaObject()->className();
    EXPECT_EQ(QByteArray(pszDispatcher).contains("Glib"), false) << pszDispatcher;
    QtEventLoop::Forget();
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_NO_GLIB"));
}

TEST(QtEventLoopChoice, AValueTheUserSetIsLeftAsItIs) {
    QtEventLoop::Forget();  // what this program's start chose
    qputenv("QT_NO_GLIB", "");
    QtEventLoop::Choose();
    QtEventLoop::Forget();
    EXPECT_TRUE(qEnvironmentVariableIsSet("QT_NO_GLIB"));
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("QT_NO_GLIB"));
    qunsetenv("QT_NO_GLIB");
}
