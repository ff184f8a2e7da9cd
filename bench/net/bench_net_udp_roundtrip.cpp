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
// The two take turns, one request each. The ratio app/bare of the medians
// is the send path's and reply handling's share of a round trip.
#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <chrono>
#include <vector>

#include "bench/net/BenchNet.h"
#include "link/NetReceive.h"
#include "pages/PortSetPage.h"
#include "link/SendPath.h"
#include "tests/support/Loopback.h"
#include "tests/support/SimClients.h"
#include "tests/support/SimProcess.h"
#include "platform/QtEventLoop.h"

namespace {

constexpr int RUNS = 500;
constexpr int WARMUP = 20;
const char* const REQUEST = "@ R 04 #";

// Stands between the socket and the main window to take the time at which a
// datagram is handed to the reply handling; then hands it on unchanged.
class CHandOverClock : public INetRxOwner {
public:
    explicit CHandOverClock(INetRxOwner* pNext) : m_pNext(pNext) {}
    void OnNetRxData(const char* pData, int nLen) override {
        m_tAt = std::chrono::steady_clock::now();
        m_pNext->OnNetRxData(pData, nLen);
        m_tDone = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point m_tAt, m_tDone;
    INetRxOwner* Next() const { return m_pNext; }

private:
    INetRxOwner* m_pNext;
};

struct Samples {
    std::vector<double> aBare;        // the bare socket's round trip
    std::vector<double> aTotal;       // app: send -> log line shown
    std::vector<double> aToHandOver;  // app: send -> datagram handed to the reply handling
    std::vector<double> aHandling;    // app: the reply handling's own time, displays and log included
};

double NsBetween(std::chrono::steady_clock::time_point t0, std::chrono::steady_clock::time_point t1) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count());
}

// One request through the app, the GUI thread sleeping in the event loop
// until the answer is shown; false when none came within 2 s.
bool AppRoundTrip(const bool& bShown) {
    bool bLost = false;
    QTimer guard;  // a lost datagram must not hang the benchmark
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&bLost] { bLost = true; });
    guard.start(2000);
    SendCommand(REQUEST);
    while (!bShown && !bLost) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return bShown;
}

// Bare and app round trips take turns, so that both meet the same machine:
// on a loaded machine, runs one after the other would compare two moments.
Samples RoundTrips(const std::string& strSimIp) {
    Samples out;
    auto* pLog = g_PortSetPage.GetItem<QPlainTextEdit>(1042);
    if (!pLog) return out;
    simtest::CUdpClient client;
    CHandOverClock clock(g_SockUDP.GetRxOwner());
    g_SockUDP.SetRxOwner(&clock);
    bool bShown = false;
    const auto conn = QObject::connect(pLog, &QPlainTextEdit::textChanged, [&bShown] { bShown = true; });
    for (int i = 0; i < WARMUP + RUNS; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!client.Ask(strSimIp, REQUEST)) break;
        const auto t1 = std::chrono::steady_clock::now();
        bShown = false;
        if (!AppRoundTrip(bShown)) break;
        const auto t2 = std::chrono::steady_clock::now();
        if (i < WARMUP) continue;
        out.aBare.push_back(NsBetween(t0, t1));
        out.aTotal.push_back(NsBetween(t1, t2));
        out.aToHandOver.push_back(NsBetween(t1, clock.m_tAt));
        out.aHandling.push_back(NsBetween(clock.m_tAt, clock.m_tDone));
    }
    QObject::disconnect(conn);
    g_SockUDP.SetRxOwner(clock.Next());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // as the programs run
    QApplication app(argc, argv);
    const std::string strSimIp = FreeLoopbackAddress();
    CSimProcess sim({"--udp", strSimIp, "--no-pty"});
    if (sim.Udp().empty()) {
        std::printf("udp roundtrip: the simulator did not start\n");
        return 1;
    }
    auto pDlg = StartNetConnected(HostOrderIp(strSimIp), "udp roundtrip");
    if (!pDlg) return 1;
    SpinUntil([] { return false; }, 300);  // the load's follow-up reads settle

    const Samples samples = RoundTrips(strSimIp);
    const std::vector<double>& aBare = samples.aBare;
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
