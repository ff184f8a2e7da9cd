// Ending the monitor thread: stop requests racing input, a device that goes
// away, and disconnects while bytes stream in.
#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "tests/support/ProcessCpu.h"
#include "tests/serial/SerialTestSupport.h"

namespace {

// Fails the whole run instead of letting CI hang when a test deadlocks.
class CWatchdog {
public:
    CWatchdog(const char* pszWhat, int nSeconds) {
        m_thread = std::thread([this, pszWhat, nSeconds] {
            std::unique_lock lk(m_m);
            if (!m_cv.wait_for(lk, std::chrono::seconds(nSeconds), [this] { return m_bDone; })) {
                fprintf(stderr, "watchdog: %s still running after %d s: hang\n", pszWhat, nSeconds);
                abort();
            }
        });
    }
    ~CWatchdog() {
        {
            std::lock_guard lk(m_m);
            m_bDone = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_m;
    std::condition_variable m_cv;
    bool m_bDone = false;
    std::thread m_thread;
};

TEST(SerialStop, StopAndInputTogetherEndTheThreadWithoutReading) {
    CErrorRecorder errors;
    CRecordingOwner owner;
    CPtyPair pty(11);
    CSerialPort port;
    ASSERT_TRUE(port.Setup(&owner, 11));
    // Right after the thread's start-up purge, before its first wait: input
    // arrives and the stop is requested, so both wake sources are ready.
    std::atomic<bool> bHookRan{false};
    OnNextFlush(pty.SlaveDevice(), /*bAfter=*/true, [&](int fd) {
        pty.Write("AB");
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 2000);
        port.SignalShutdown();
        bHookRan = true;
    });
    ASSERT_TRUE(port.StartMonitor());
    ASSERT_TRUE(WaitUntil([&] { return bHookRan && !port.IsMonitorAlive(); }));
    PumpFor(20);
    EXPECT_TRUE(owner.messages.empty());  // no byte, not even the status notification
    EXPECT_EQ(PendingInputOn(pty.SlaveDevice()), 2);
    EXPECT_TRUE(errors.boxes.empty());
}

TEST(SerialStop, StopDuringDeliveryReadsNoFurtherByte) {
    CRecordingOwner owner;
    CPtyPair pty(12);
    CSerialPort port;
    ASSERT_TRUE(port.Setup(&owner, 12, 115200, 'N', 8, 1, EV_RXCHAR));
    owner.fnOnMessage = [&](const PortMessage&) {
        pty.Write("B");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        port.SignalShutdown();
    };
    ASSERT_TRUE(port.StartMonitor());
    port.WriteText("@R 04 #");  // answered only once the start-up purge is done
    ASSERT_EQ(pty.Read(7), "@R 04 #");
    pty.Write("A");
    ASSERT_TRUE(WaitUntil([&] { return !owner.messages.empty() && !port.IsMonitorAlive(); }));
    PumpFor(20);
    EXPECT_EQ(owner.Bytes(), "A");
}

TEST(SerialStop, UnpluggedMidFrameReportsOnceAndDoesNotSpin) {
    CErrorRecorder errors;
    CRecordingOwner owner;
    CPtyPair pty(13);
    CSerialPort port;
    std::vector<std::string> echoed;
    port.SetWriteEcho([&](const char* s) { echoed.emplace_back(s); });
    ASSERT_TRUE(port.Setup(&owner, 13));
    ASSERT_TRUE(port.StartMonitor());
    port.WriteText("@R 04 #");
    ASSERT_EQ(pty.Read(7), "@R 04 #");
    pty.Write("@09 0");
    ASSERT_TRUE(WaitUntil([&] { return owner.Bytes().size() >= 5; }));

    pty.CloseMaster();
    // A monitor that keeps polling the hung-up line burns a whole core here.
    const double dCpu0 = ProcessCpuSeconds();
    PumpFor(400);
    const double dCpuUsed = ProcessCpuSeconds() - dCpu0;
    EXPECT_LT(dCpuUsed, 0.2) << "CPU seconds used in 0.4 s after the device went away";

    ASSERT_TRUE(WaitUntil([&] { return !port.IsMonitorAlive(); }));
    PumpFor(50);
    ASSERT_EQ(errors.boxes.size(), 1u);
    EXPECT_EQ(errors.boxes[0].strCaption, "Application Error");
    EXPECT_TRUE(errors.boxes[0].strText.startsWith("WARNING:  "));
    EXPECT_TRUE(errors.boxes[0].strText.endsWith("\nPort: 13\n"));
    // Marked as a lost device, for the details the window adds.
    EXPECT_TRUE(errors.boxes[0].info.bDeviceLost);
    EXPECT_EQ(errors.boxes[0].info.nPortNr, 13u);
    EXPECT_EQ(owner.Bytes(), "@09 0");

    // Frames for the lost device are dropped, not logged as sent.
    port.WriteText("@R 10 #");
    EXPECT_EQ(echoed.size(), 1u);
}

TEST(SerialStop, DisconnectWhileBytesStreamNeverHangs) {
    CWatchdog watchdog("200 disconnects while bytes stream in", 45);
    CErrorRecorder errors;
    CRecordingOwner owner;
    CPtyPair pty(14);
    CSerialPort port;

    std::atomic<bool> bWriting{true};
    std::thread writer([&] {
        static const char frame[] = "@04 00 01 02 03#";
        while (bWriting) {
            ssize_t n = write(pty.Master(), frame, sizeof frame - 1);
            (void)n;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    size_t nLeaked = 0;
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(port.Setup(&owner, 14));
        ASSERT_TRUE(port.StartMonitor());
        const size_t nBefore = owner.messages.size();
        WaitUntil([&] { return owner.messages.size() > nBefore + 2; }, 2000);
        // Leave the monitor blocked in a delivery, then disconnect without
        // dispatching, as Disconnect does.
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        port.Close();
        ASSERT_FALSE(port.IsOpen());
        // Deliveries still queued from the stopped session must not arrive.
        const size_t nAfterStop = owner.messages.size();
        QCoreApplication::processEvents();
        nLeaked += owner.messages.size() - nAfterStop;
    }
    bWriting = false;
    writer.join();
    EXPECT_EQ(nLeaked, 0u);
    EXPECT_TRUE(errors.boxes.empty());
    EXPECT_FALSE(owner.bWrongThread);
}

// A delivered byte whose handler runs a nested event loop (a modal box), and
// inside it the link is stopped and started again: the new session's bytes
// are delivered in the nested loop, and still after the box has closed.
TEST(SerialStop, RestartInsideAModalLoopOfADeliveredByteKeepsDelivering) {
    CWatchdog watchdog("restarts inside a nested loop", 60);
    CErrorRecorder errors;
    CRecordingOwner owner;
    CPtyPair pty(16);
    CSerialPort port;
    auto startSession = [&] {
        ASSERT_TRUE(port.Setup(&owner, 16));
        ASSERT_TRUE(port.StartMonitor());
        port.WriteText("@R 04 #");  // answered once the start-up purge is done
        ASSERT_EQ(pty.Read(7), "@R 04 #");
    };
    startSession();
    for (int i = 0; i < 20; ++i) {
        owner.messages.clear();
        bool bRestarted = false;
        owner.fnOnMessage = [&](const PortMessage& m) {
            if (m.nMessage != WM_PORT_RXCHAR || m.wParam != 'M' || bRestarted) return;
            bRestarted = true;
            port.SignalShutdown();
            startSession();
            pty.Write("XY");
            EXPECT_TRUE(WaitUntil([&] { return owner.Bytes().find("XY") != std::string::npos; }, 5000));
        };
        pty.Write("M");
        ASSERT_TRUE(WaitUntil([&] { return bRestarted; }));
        owner.fnOnMessage = nullptr;
        pty.Write("Z");
        ASSERT_TRUE(WaitUntil([&] { return owner.Bytes().find('Z') != std::string::npos; }, 5000))
            << "iteration " << i << ": " << owner.Bytes();
    }
    EXPECT_TRUE(errors.boxes.empty());
    EXPECT_FALSE(owner.bWrongThread);
}

} // namespace
