// Search replies arriving at once: the main window's socket open and a
// search started, then N switchers on N loopback addresses answer within a
// millisecond or two (a second thread sends the replies back to back).
// Figures: time from the first reply sent to the N-th line in the device
// list, and the longest single pass of the event loop meanwhile (how long
// the window could not react). The search request itself goes to an unused
// loopback address, never to the broadcast address.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "bench/net/BenchNet.h"
#include "tests/support/Loopback.h"
#include "platform/QtEventLoop.h"

namespace {

using Clock = std::chrono::steady_clock;

// One reply socket per switcher, each on its own loopback address
// 127.A.B.C (C = 1..250, then the next B).
struct Replier {
    int fd = -1;
    std::string strReply;
};

std::vector<Replier> MakeRepliers(int nCount) {
    std::vector<Replier> a;
    const unsigned pid = static_cast<unsigned>(getpid());
    for (int i = 0; i < nCount; ++i) {
        Replier r;
        r.fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr =
            htonl((127u << 24) | ((1 + (pid >> 8) % 254) << 16) |
                  (((pid & 0x3F) * 4 + static_cast<unsigned>(i / 250)) << 8) | static_cast<unsigned>(1 + i % 250));
        if (r.fd < 0 || bind(r.fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) break;
        char szName[17];
        std::snprintf(szName, sizeof szName, "DEV-%05d       ", i + 1);
        r.strReply = "@20";
        for (int k = 0; k < 16; ++k) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(szName[k]));
            r.strReply += hex;
        }
        r.strReply += "#";
        a.push_back(std::move(r));
    }
    return a;
}

void CloseRepliers(std::vector<Replier>& a) {
    for (Replier& r : a) close(r.fd);
    a.clear();
}

// A search on the page, its request sent to a loopback address nobody uses;
// the device-number list it fills. Null when that address is not on loopback.
QComboBox* StartSearch() {
    g_SockUDP.SetSearchDestination(HostOrderIp(FreeLoopbackAddress(7)));
    if (g_SockUDP.GetSearchDestination() >> 24 != 127) return nullptr;
    NetButton(Dlg133::IDC_SEARCH)->click();
    SpinUntil([] { return false; }, 100);
    return g_NetConfigPage.GetItem<QComboBox>(Dlg133::IDC_DEVICE_NUMBER);
}

// Where the replies go: the window's socket, seen from loopback.
sockaddr_in WindowSocket() {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(g_SockUDP.GetLocalPort());
    return to;
}

struct BurstResult {
    double dListedMs = -1;  // first reply sent -> N-th line listed; -1: never
    double dLongestPassMs = 0;
    int nListed = 0;
};

BurstResult RunBurst(int nReplies, int nExpectListed) {
    BurstResult res;
    std::vector<Replier> repliers = MakeRepliers(nReplies);
    if (static_cast<int>(repliers.size()) != nReplies) {
        std::printf("search burst: could not bind %d loopback addresses\n", nReplies);
        CloseRepliers(repliers);
        return res;
    }
    QComboBox* pCombo = StartSearch();
    if (!pCombo) {
        CloseRepliers(repliers);
        return res;
    }
    const sockaddr_in to = WindowSocket();
    Clock::time_point t0;
    std::thread sender([&] {
        t0 = Clock::now();
        for (Replier& r : repliers)
            sendto(r.fd, r.strReply.data(), r.strReply.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    });
    sender.join();  // the GUI thread has not run meanwhile: every reply is waiting at once
    const auto tLimit = Clock::now() + std::chrono::seconds(10);
    while (pCombo->count() < nExpectListed && Clock::now() < tLimit) {
        const auto tPass = Clock::now();
        QCoreApplication::processEvents();
        const double dPassMs = std::chrono::duration<double, std::milli>(Clock::now() - tPass).count();
        res.dLongestPassMs = std::max(res.dLongestPassMs, dPassMs);
    }
    if (pCombo->count() >= nExpectListed)
        res.dListedMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    // Whatever is still waiting (the extra replies of an oversized burst).
    SpinUntil([] { return false; }, 300);
    res.nListed = pCombo->count();
    CloseRepliers(repliers);
    return res;
}

// A busy network: nReplies switchers, each on its own loopback address,
// answer one after the other while the window runs, far more than the
// table holds and faster than the socket buffer drains. Each reply socket
// is made, used and closed in turn, so no descriptor limit is reached.
BurstResult RunFlood(int nReplies) {
    BurstResult res;
    QComboBox* pCombo = StartSearch();
    if (!pCombo) return res;
    const sockaddr_in to = WindowSocket();
    const unsigned nNet = 1 + static_cast<unsigned>(getpid()) % 254;
    std::atomic<bool> bDone{false};
    std::thread sender([&] {
        for (int i = 0; i < nReplies; ++i) {
            const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            sockaddr_in sa{};
            sa.sin_family = AF_INET;
            sa.sin_addr.s_addr = htonl((127u << 24) | (nNet << 16) | (static_cast<unsigned>(i / 250) << 8) |
                                       static_cast<unsigned>(1 + i % 250));
            if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
                static const char kReply[] = "@20 46 4c 4f 4f 44 20 20 20 20 20 20 20 20 20 20 20#";
                sendto(fd, kReply, sizeof kReply - 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            }
            if (fd >= 0) close(fd);
        }
        bDone = true;
    });
    auto tQuietFrom = Clock::now();
    while (!bDone || Clock::now() - tQuietFrom < std::chrono::milliseconds(300)) {
        const auto tPass = Clock::now();
        QCoreApplication::processEvents();  // never waits: a pass is all work
        const double dPassMs = std::chrono::duration<double, std::milli>(Clock::now() - tPass).count();
        res.dLongestPassMs = std::max(res.dLongestPassMs, dPassMs);
        if (!bDone) tQuietFrom = Clock::now();
    }
    sender.join();
    res.nListed = pCombo->count();
    return res;
}

}  // namespace

int main(int argc, char** argv) {
    QtEventLoop::Choose();  // as the programs run
    QApplication app(argc, argv);
    auto pDlg = StartWithSocketOpen("search burst");
    if (!pDlg) return 1;
    // The table-full notice of the oversized burst is expected; once.
    MessageBoxScript::Expect(QStringLiteral("Error!Max device number is 300"));

    const BurstResult r300 = RunBurst(MAX_DEVICE_NUM, MAX_DEVICE_NUM);
    std::printf("search burst 300 replies to 300th line listed: %.1f ms\n", r300.dListedMs);
    std::printf("search burst 300 replies longest event-loop pass: %.1f ms\n", r300.dLongestPassMs);
    std::printf("search burst 300 replies listed: %d count\n", r300.nListed);

    const BurstResult r1000 = RunBurst(1000, MAX_DEVICE_NUM);
    std::printf("search burst 1000 replies longest event-loop pass: %.1f ms\n", r1000.dLongestPassMs);
    std::printf("search burst 1000 replies listed: %d count\n", r1000.nListed);
    std::printf("search burst 1000 replies notices: %zu count\n", MessageBoxScript::History().size());

    MessageBoxScript::Expect(QStringLiteral("Error!Max device number is 300"));
    const size_t nNoticesBefore = MessageBoxScript::History().size();
    const BurstResult rFlood = RunFlood(10000);
    std::printf("search flood 10000 replies longest event-loop pass: %.1f ms\n", rFlood.dLongestPassMs);
    std::printf("search flood 10000 replies listed: %d count\n", rFlood.nListed);
    std::printf("search flood 10000 replies notices: %zu count\n",
                MessageBoxScript::History().size() - nNoticesBefore);
    g_SockUDP.SetSearchDestination(BROADCAST_IP);
    pDlg->Shutdown();
    return 0;
}
