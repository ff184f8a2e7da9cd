// GoogleTest on an offscreen QApplication. The serial port is opened once on
// a pseudo-terminal, so that the pages' frames go through the real send path
// and are captured by the driver's write echo; nothing plays the switcher on
// the other side, replies are fed to the decoder by the tests.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/PtyPair.h"
#include "link/SerialPort.h"

#include "platform/QtEventLoop.h"

namespace {

class IgnoringOwner : public ISerialOwner {
public:
    LRESULT OnPortMessage(UINT, WPARAM, LPARAM) override { return 0; }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QtEventLoop::Choose();  // the programs' own event loop
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    CPtyPair pty(1);
    if (!pty.IsOpen()) {
        fprintf(stderr, "test_pages: openpty failed; the pages cannot send serial frames\n");
        return 1;
    }
    IgnoringOwner owner;
    if (!g_SerialPort.Setup(&owner, 1) || !g_SerialPort.StartMonitor()) {
        fprintf(stderr, "test_pages: cannot open %s as COM1\n", pty.SlavePath().c_str());
        return 1;
    }

    const int nResult = RUN_ALL_TESTS();
    // The monitor ends and the port closes before the pty and the
    // application go away.
    g_SerialPort.Close();
    return nResult;
}
