#pragma once
// CPU time this process has used so far: for the checks that a wait sleeps
// instead of spinning, and for the idle figures of the benchmarks.
#include <time.h>

inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
