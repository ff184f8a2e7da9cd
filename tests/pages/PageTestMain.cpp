// GoogleTest on an offscreen QApplication. The serial port is opened once on
// a pseudo-terminal, so that the pages' frames go through the real send path
// and are captured by the driver's write echo; nothing plays the switcher on
// the other side, replies are fed to the decoder by the tests.
#include <QApplication>
#include <cstdlib>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "SerialPort.h"

namespace {

class IgnoringOwner : public ISerialOwner {
public:
    LRESULT OnPortMessage(UINT, WPARAM, LPARAM) override { return 0; }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    int fdMaster = -1, fdSlave = -1;
    char szSlave[256] = {};
    if (openpty(&fdMaster, &fdSlave, szSlave, nullptr, nullptr) != 0) {
        fprintf(stderr, "test_pages: openpty failed; the pages cannot send serial frames\n");
        return 1;
    }
    close(fdSlave);  // the driver opens it by name
    setenv("CORVANE_COM1", szSlave, 1);
    IgnoringOwner owner;
    if (!g_SerialPort.Setup(&owner, 1) || !g_SerialPort.StartMonitor()) {
        fprintf(stderr, "test_pages: cannot open %s as COM1\n", szSlave);
        return 1;
    }

    const int nResult = RUN_ALL_TESTS();
    // The monitor ends before the application does; the master side stays
    // open until exit so the monitor never sees a hang-up first.
    g_SerialPort.SignalShutdown();
    return nResult;
}
