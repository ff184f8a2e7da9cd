#pragma once
// Shared pieces of the application benchmarks: spinning on the GUI thread,
// and the floor under the figures. The sample statistics come from
// BenchStats.h, the pseudo-terminal and the COM port mapping from the test
// support library.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchStats.h"
#include "tests/support/ComPorts.h"
#include "tests/support/PtyPair.h"

// Processes events until pred holds or nMaxMs have passed.
template <class Pred> bool SpinUntil(Pred pred, int nMaxMs = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > nMaxMs) return false;
        QCoreApplication::processEvents();
    }
    return true;
}

// The floor under the application's figures on this machine: one byte written
// on a pty master until a second thread, blocked in poll() on the slave as the
// serial monitor thread is, has read it, while this thread spins as the GUI
// thread does in the benchmarks. Nanoseconds per sample.
inline std::vector<double> PtyThreadFloor(int nRuns) {
    std::vector<double> aNs;
    int nMaster = -1, nSlave = -1;
    if (::openpty(&nMaster, &nSlave, nullptr, nullptr, nullptr) != 0) return aNs;
    termios tio{};
    ::tcgetattr(nSlave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(nSlave, TCSANOW, &tio);
    std::atomic<long long> nReadAt{0};
    std::atomic<bool> bQuit{false};
    std::thread reader([&] {
        while (!bQuit) {
            pollfd pfd{nSlave, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0) continue;
            char c;
            if (::read(nSlave, &c, 1) == 1)
                nReadAt = std::chrono::steady_clock::now().time_since_epoch().count();
        }
    });
    for (int i = 0; i < nRuns; ++i) {
        nReadAt = 0;
        const auto t0 = std::chrono::steady_clock::now();
        if (::write(nMaster, "#", 1) != 1) break;
        while (nReadAt == 0) {}
        aNs.push_back(static_cast<double>(nReadAt - t0.time_since_epoch().count()));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bQuit = true;
    reader.join();
    ::close(nMaster);
    ::close(nSlave);
    return aNs;
}
