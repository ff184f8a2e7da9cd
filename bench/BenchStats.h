#pragma once
// Sample statistics of the benchmarks, printed as `figure: value unit` lines.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

// Median of samples already sorted (and not empty).
inline double SortedMedian(const std::vector<double>& aSorted) {
    const size_t n = aSorted.size();
    return n % 2 ? aSorted[n / 2] : (aSorted[n / 2 - 1] + aSorted[n / 2]) / 2;
}

inline double Median(std::vector<double> a) {
    if (a.empty()) return 0;
    std::sort(a.begin(), a.end());
    return SortedMedian(a);
}

// Prints median and p95 of samples given in nanoseconds, in the given unit.
inline void PrintFigures(const char* pszName, std::vector<double> aNs, const char* pszUnit, double dDivisor) {
    if (aNs.empty()) {
        std::printf("%s: no samples\n", pszName);
        return;
    }
    std::sort(aNs.begin(), aNs.end());
    const size_t n = aNs.size();
    const double dMedian = SortedMedian(aNs);
    const double dP95 = aNs[static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n))) - 1];
    std::printf("%s median: %.1f %s\n", pszName, dMedian / dDivisor, pszUnit);
    std::printf("%s p95: %.1f %s\n", pszName, dP95 / dDivisor, pszUnit);
    std::printf("%s max: %.1f %s\n", pszName, aNs.back() / dDivisor, pszUnit);
    std::printf("%s samples: %zu count\n", pszName, n);
    std::fflush(stdout);
}
