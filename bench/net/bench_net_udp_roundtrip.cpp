// UDP command round trip against corvane-sim on a loopback address:
//   app:  SendCommand("@ R 04 #") through the send path and the page's
//         socket, until the reply has gone through the receive notification,
//         the reply handling and the Port Set page ("Load all ports
//         success!" appended to its log), the GUI thread sleeping in the
//         event loop in between;
//         The time at which the datagram reaches the reply handling is
//         taken too, to tell the transport's share from the display's;
//   bare: the same request from a plain socket blocked in poll() for the
//         reply, to the same simulator.
// The ratio app/bare of the medians is the send path's and reply handling's
// share of a round trip.
#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <chrono>
#include <vector>

#include "BenchNet.h"
#include "NetReceive.h"
#include "PortSetPage.h"
#include "SendPath.h"
#include "SimTestSupport.h"

namespace {

constexpr int RUNS = 500;
constexpr int WARMUP = 20;
const char* const REQUEST = "@ R 04 #";

double NsSince(std::chrono::steady_clock::time_point t0) {
    return static_cast<double>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - t0).count());
}

std::vector<double> BareRoundTrips(const std::string& strSimIp) {
    std::vector<double> aNs;
    simtest::CUdpClient client;
    for (int i = 0; i < WARMUP + RUNS; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!client.Ask(strSimIp, REQUEST)) break;
        if (i >= WARMUP) aNs.push_back(NsSince(t0));
    }
    return aNs;
}

// Stands between the socket and the main window to take the time at which a
// datagram is handed to the reply handling; then hands it on unchanged.
class CHandOverClock : public INetRxOwner {
public:
    explicit CHandOverClock(INetRxOwner* pNext) : m_pNext(pNext) {}
    void OnNetRxData(WPARAM wParam) override {
        m_tAt = std::chrono::steady_clock::now();
        m_pNext->OnNetRxData(wParam);
        m_tDone = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point m_tAt, m_tDone;
    INetRxOwner* Next() const { return m_pNext; }

private:
    INetRxOwner* m_pNext;
};

struct AppSamples {
    std::vector<double> aTotal;       // send -> log line shown
    std::vector<double> aToHandOver;  // send -> datagram handed to the reply handling
    std::vector<double> aHandling;    // the reply handling's own time, displays and log included
};

AppSamples AppRoundTrips() {
    AppSamples out;
    std::vector<double>& aNs = out.aTotal;
    auto* pLog = g_PortSetPage.GetItem<QPlainTextEdit>(1042);
    if (!pLog) return out;
    CHandOverClock clock(g_SockUDP.GetRxOwner());
    g_SockUDP.SetRxOwner(&clock);
    bool bShown = false;
    QObject::connect(pLog, &QPlainTextEdit::textChanged, [&bShown] { bShown = true; });
    QTimer guard;  // a lost datagram must not hang the benchmark
    guard.setSingleShot(true);
    for (int i = 0; i < WARMUP + RUNS; ++i) {
        bShown = false;
        bool bLost = false;
        QObject::connect(&guard, &QTimer::timeout, [&bLost] { bLost = true; });
        guard.start(2000);
        const auto t0 = std::chrono::steady_clock::now();
        SendCommand(REQUEST);
        while (!bShown && !bLost) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double dNs = NsSince(t0);
        guard.stop();
        QObject::disconnect(&guard, &QTimer::timeout, nullptr, nullptr);
        if (bLost) break;
        if (i >= WARMUP) {
            aNs.push_back(dNs);
            out.aToHandOver.push_back(
                static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(clock.m_tAt - t0).count()));
            out.aHandling.push_back(static_cast<double>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(clock.m_tDone - clock.m_tAt).count()));
        }
    }
    g_SockUDP.SetRxOwner(clock.Next());
    return out;
}

double Median(std::vector<double> a) {
    std::sort(a.begin(), a.end());
    return a.empty() ? 0 : a[a.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string strSimIp = simtest::FreeLoopbackAddress();
    simtest::CSimProcess sim({"--udp", strSimIp, "--no-pty"});
    if (sim.Udp().empty()) {
        std::printf("udp roundtrip: the simulator did not start\n");
        return 1;
    }
    auto pDlg = StartNetConnected(HostOrderIp(strSimIp), "udp roundtrip");
    if (!pDlg) return 1;
    SpinUntil([] { return false; }, 300);  // the load's follow-up reads settle

    const std::vector<double> aBare = BareRoundTrips(strSimIp);
    const AppSamples samples = AppRoundTrips();
    const std::vector<double>& aApp = samples.aTotal;
    PrintFigures("udp roundtrip bare socket", aBare, "us", 1000.0);
    PrintFigures("udp roundtrip app", aApp, "us", 1000.0);
    // Where the app's time goes: up to the hand-over (send path, simulator,
    // event loop, socket read), and the rest (reply handling and display).
    PrintFigures("udp roundtrip app to hand-over", samples.aToHandOver, "us", 1000.0);
    PrintFigures("udp roundtrip app reply handling", samples.aHandling, "us", 1000.0);
    if (!aBare.empty() && !aApp.empty())
        std::printf("udp roundtrip app/bare ratio: %.2f x\n", Median(aApp) / Median(aBare));
    pDlg->Shutdown();
    return 0;
}
