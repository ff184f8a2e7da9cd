// Port Set log: time of one AppendLog call, with the page shown. Events
// (layout, repaint) run every 100 lines, unmeasured, as a running event loop
// would coalesce them. Measured over the first 100 lines and over the last
// 1000 of 100,000 lines (an optional argument changes the total): the median
// line, and the mean, which includes the dropping of old lines.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "BenchStats.h"
#include "PortSetPage.h"
#include "QtEventLoop.h"

namespace {

constexpr int FIRST_LINES = 100;
constexpr int LAST_WINDOW = 1000;

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
        if (n % 100 == 0) QCoreApplication::processEvents();
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
    return 0;
}
