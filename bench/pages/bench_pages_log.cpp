// Port Set log: time of one AppendLog call, with the page shown. Events
// (layout, repaint) run every 100 lines, unmeasured, as a running event loop
// would coalesce them. Measured over the first 100 lines and over the last
// 1000 of 100,000 lines (an optional argument changes the total): the median
// line, and the mean, which includes the dropping of old lines. Then the
// memory of a long session: the peak heap in use (sampled every 100 lines)
// and the process's peak resident size after 20,000 and after 300,000 lines;
// once the log is full (about 3,000 lines) neither should grow.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <numeric>
#include <vector>

#include "bench/BenchStats.h"
#include "pages/PortSetPage.h"
#include "platform/QtEventLoop.h"

namespace {

constexpr int FIRST_LINES = 100;
constexpr int LAST_WINDOW = 1000;

// Peak resident size of the process so far, in kB (VmHWM).
long PeakRssKb() {
    FILE* pFile = std::fopen("/proc/self/status", "r");
    if (!pFile) return -1;
    char szLine[256];
    long nKb = -1;
    while (std::fgets(szLine, sizeof szLine, pFile)) {
        if (std::strncmp(szLine, "VmHWM:", 6) == 0) nKb = std::atol(szLine + 6);
    }
    std::fclose(pFile);
    return nKb;
}

size_t s_nPeakHeap = 0;

void SampleHeap() { s_nPeakHeap = std::max(s_nPeakHeap, mallinfo2().uordblks); }

// Appends nLines lines to a new page; returns the times, in microseconds, of
// the last nKept of them.
std::vector<double> AppendTimesUs(int nLines, int nKept, qsizetype& nChars) {
    CPortSetPage page;
    std::vector<double> aUs;
    if (!page.Create(nullptr)) return aUs;
    page.InitControls();
    page.ShowWindow(TRUE);
    QElapsedTimer timer;
    for (int n = 1; n <= nLines; ++n) {
        const QString strLine = n % 2 ? QStringLiteral("Set success!") : QStringLiteral("Load all ports success!");
        timer.start();
        page.AppendLog(strLine);
        const qint64 nNs = timer.nsecsElapsed();
        if (n > nLines - nKept) aUs.push_back(static_cast<double>(nNs) / 1e3);
        if (n % 100 == 0) {
            QCoreApplication::processEvents();
            SampleHeap();
        }
    }
    nChars = page.m_strLog.size();
    page.DestroyWindow();
    return aUs;
}

void Print(const char* pszWhat, const std::vector<double>& aUs) {
    if (aUs.empty()) return;
    const double dMean = std::accumulate(aUs.begin(), aUs.end(), 0.0) / static_cast<double>(aUs.size());
    std::printf("port set log append, %s, median: %.1f us/line\n", pszWhat, Median(aUs));
    std::printf("port set log append, %s, mean: %.1f us/line\n", pszWhat, dMean);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QtEventLoop::Choose();  // as the programs run
    QApplication app(argc, argv);
    const int nTotal = argc > 1 ? std::max(LAST_WINDOW, std::atoi(argv[1])) : 100000;
    qsizetype nChars = 0;
    Print("first 100 lines", AppendTimesUs(FIRST_LINES, FIRST_LINES, nChars));
    char szWhat[64];
    std::snprintf(szWhat, sizeof szWhat, "last %d of %d lines", LAST_WINDOW, nTotal);
    Print(szWhat, AppendTimesUs(nTotal, LAST_WINDOW, nChars));
    std::printf("port set log size after %d lines: %lld characters\n", nTotal, static_cast<long long>(nChars));
    for (int nLines : {20000, 300000}) {
        s_nPeakHeap = 0;
        AppendTimesUs(nLines, 0, nChars);
        std::printf("port set log, %d lines: peak heap in use %.1f MB, peak resident %.1f MB\n", nLines,
                    static_cast<double>(s_nPeakHeap) / 1e6, static_cast<double>(PeakRssKb()) / 1e3);
    }
    return 0;
}
