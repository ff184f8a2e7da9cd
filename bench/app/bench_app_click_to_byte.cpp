// Click to first byte: from the click() call on route button IDC_OUT2_IN3 (output 2,
// input 3) to the first byte of "@W 01 02#" being readable on the pty master,
// as seen by a thread waiting in poll() there.
// The benchmark owns the master and acknowledges each frame so the button row
// is enabled again for the next press.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <memory>

#include "bench/app/BenchApp.h"
#include "bench/app/BenchSupport.h"
#include "app/Corvane.h"
#include "app/CorvaneDlg.h"
#include "framework/MessageBox.h"
#include "pages/IP_SEL_PAGE.h"
#include "pages/PortSetPage.h"
#include "platform/QtEventLoop.h"

namespace {

// Takes the time at which a descriptor becomes readable, once per Arm().
class CArrivalWatch {
public:
    using Clock = std::chrono::steady_clock;
    explicit CArrivalWatch(int fd) : m_fd(fd), m_thread([this] { Run(); }) {}
    ~CArrivalWatch() {
        {
            std::lock_guard lk(m_m);
            m_bQuit = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    void Arm() {
        std::lock_guard lk(m_m);
        m_tAt.reset();
        m_bArmed = true;
        m_cv.notify_all();
    }
    std::optional<Clock::time_point> Wait(int nMaxMs) {
        std::unique_lock lk(m_m);
        m_cv.wait_for(lk, std::chrono::milliseconds(nMaxMs), [this] { return m_tAt.has_value(); });
        m_bArmed = false;
        return m_tAt;
    }

private:
    void Run() {
        for (;;) {
            {
                std::unique_lock lk(m_m);
                m_cv.wait(lk, [this] { return m_bQuit || (m_bArmed && !m_tAt); });
                if (m_bQuit) return;
            }
            pollfd pfd{m_fd, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0 || !(pfd.revents & POLLIN)) continue;
            const auto t = Clock::now();
            std::lock_guard lk(m_m);
            m_tAt = t;
            m_cv.notify_all();
        }
    }
    int m_fd;
    std::mutex m_m;
    std::condition_variable m_cv;
    bool m_bArmed = false;
    bool m_bQuit = false;
    std::optional<Clock::time_point> m_tAt;
    std::thread m_thread;
};

constexpr int RUNS = 300;
constexpr int WARMUP = 20;
constexpr int GROWTH_BLOCK = 100;
constexpr int GROWTH_BLOCKS = 4;
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QtEventLoop::Choose();  // as the programs run
    QApplication app(argc, argv);
    CPtyPair pty;
    auto pDlg = StartConnected(pty, "click");
    if (!pDlg) return 1;

    auto* pButton = g_PortSetPage.GetItem<QAbstractButton>(Dlg130::IDC_OUT2_IN3);
    auto* pClear = g_PortSetPage.GetItem<QAbstractButton>(Dlg130::IDC_CLEAR);
    int nBad = 0;
    // The first byte's arrival is taken by a watcher thread blocked in poll()
    // on the master, so it is not hidden behind the rest of the click
    // handler (the frame is queued before the handler writes its log lines).
    CArrivalWatch watch(pty.Master());
    // One press: the nanoseconds spent inside click() and from the click()
    // call to the first byte; false on a wrong frame.
    auto Press = [&](qint64& nHandlerNs, qint64& nByteNs) {
        SpinUntil([&] { return pButton->isEnabled(); });
        watch.Arm();
        const auto t0 = std::chrono::steady_clock::now();
        pButton->click();
        nHandlerNs = (std::chrono::steady_clock::now() - t0).count();
        const auto tByte = watch.Wait(2000);
        nByteNs = tByte ? (*tByte - t0).count() : -1;
        const std::string strFrame = pty.Read(9);
        pty.Write("@09 01#");
        if (!tByte || strFrame != "@W 01 02#") {
            ++nBad;
            return false;
        }
        return true;
    };

    // The Port Set log grows by three lines per press and every append
    // rewrites the whole box, so the log is emptied ("Clear") before each
    // measured press; the growth is measured apart below.
    std::vector<double> aByte, aHandler;
    for (int i = 0; i < WARMUP + RUNS; ++i) {
        pClear->click();
        qint64 nHandler = 0, nByte = 0;
        if (Press(nHandler, nByte) && i >= WARMUP) {
            aByte.push_back(static_cast<double>(nByte));
            aHandler.push_back(static_cast<double>(nHandler));
        }
    }
    PrintFigures("click to first byte", aByte, "us", 1e3);
    PrintFigures("click handler (route button, empty log)", aHandler, "us", 1e3);

    // Without "Clear": the handler's cost as the log grows.
    pClear->click();
    for (int nBlock = 1; nBlock <= GROWTH_BLOCKS; ++nBlock) {
        std::vector<double> aBlock;
        for (int i = 0; i < GROWTH_BLOCK; ++i) {
            qint64 nHandler = 0, nByte = 0;
            if (Press(nHandler, nByte)) aBlock.push_back(static_cast<double>(nHandler));
        }
        std::sort(aBlock.begin(), aBlock.end());
        const int nLines = 1 + 3 * nBlock * GROWTH_BLOCK;
        std::printf("click handler median with %d log lines: %.1f us\n", nLines,
                    aBlock.empty() ? 0.0 : aBlock[aBlock.size() / 2] / 1e3);
    }
    SpinUntil([&] { return pButton->isEnabled(); });

    // The serial driver echoes every frame into the IP Config page's hidden
    // log before it wakes its thread: that echo alone, as the send path runs it.
    std::vector<double> aEcho;
    for (int i = 0; i < RUNS; ++i) {
        QElapsedTimer timer;
        timer.start();
        g_IpConfigPage.AppendLog(QStringLiteral("@W 01 02#"));
        aEcho.push_back(static_cast<double>(timer.nsecsElapsed()));
    }
    PrintFigures("write echo into the IP Config log", aEcho, "us", 1e3);
    std::printf("click to first byte wrong frames: %d count\n", nBad);
    pDlg->Shutdown();
    MessageBoxScript::End();
    return 0;
}
