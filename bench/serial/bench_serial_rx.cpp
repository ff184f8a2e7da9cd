// Receive path on a pty: one-byte reads on the monitor thread, the hand-off
// into the GUI thread, and the reply assembler there. The switcher side
// writes whole Status replies as fast as the pty takes them.
#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "bench/serial/BenchSupport.h"
#include "tests/support/PtyPair.h"
#include "platform/QtEventLoop.h"

namespace {
constexpr UINT PORT = 1;
constexpr double LINE_US_PER_BYTE = 1e6 / 11520.0;  // 115200 baud, 10 bits a byte
}

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // as the programs run
    QCoreApplication app(argc, argv);
    CPtyPair pty(PORT);
    if (!pty.IsOpen()) {
        perror("openpty");
        return 1;
    }
    const int nMaster = pty.Master();

    CNoopTarget target;
    CAssemblingOwner owner(target);
    CSerialPort port;
    if (!port.Setup(&owner, PORT) || !port.StartMonitor()) return 1;
    // Past the thread's start-up purge before anything is written.
    port.WriteText("@R 04 #");
    char buf[16];
    for (int n = 0; n < 7;) {
        pollfd p{nMaster, POLLIN, 0};
        poll(&p, 1, 1000);
        ssize_t r = read(nMaster, buf, sizeof buf);
        if (r > 0) n += static_cast<int>(r);
    }

    const std::string strFrame = "@04 00 01 02 03#";
    constexpr int FRAMES = 4000;
    const long nTotal = static_cast<long>(strFrame.size()) * FRAMES;
    std::thread writer([&] {
        std::string strAll;
        for (int i = 0; i < FRAMES; ++i) strAll += strFrame;
        size_t nDone = 0;
        while (nDone < strAll.size()) {
            ssize_t n = write(nMaster, strAll.data() + nDone, strAll.size() - nDone);
            if (n > 0) {
                nDone += static_cast<size_t>(n);
            } else {
                pollfd p{nMaster, POLLOUT, 0};
                poll(&p, 1, 100);
            }
        }
    });
    RunUntil(owner, [&] { return owner.nBytes >= 1; }, 10000);
    const auto t0 = std::chrono::steady_clock::now();
    const long nStart = owner.nBytes;
    const bool bAll = RunUntil(owner, [&] { return owner.nBytes >= nTotal; }, 120000);
    const auto t1 = std::chrono::steady_clock::now();
    writer.join();
    port.Close();
    if (!bAll || target.nPortSetEndWaits != FRAMES) {
        std::fprintf(stderr, "bench_serial_rx: %ld of %ld bytes, %ld of %d frames decoded\n", owner.nBytes, nTotal,
                     target.nPortSetEndWaits, FRAMES);
        return 1;
    }
    const double dUs = std::chrono::duration<double, std::micro>(t1 - t0).count() / double(nTotal - nStart);
    PrintFigure("serial receive per byte", dUs, "us");
    PrintFigure("serial receive vs 115200-baud line rate", LINE_US_PER_BYTE / dUs, "x");
    return 0;
}
