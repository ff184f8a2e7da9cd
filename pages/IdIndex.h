#pragma once
// Index of a control ID in a row of IDs (one per input or output), or -1:
// the pages map a notification to the input or output it belongs to.
#include <cstddef>

template <std::size_t N> int IndexOfId(const int (&anIds)[N], int nId) {
    for (std::size_t n = 0; n < N; ++n) {
        if (anIds[n] == nId) return static_cast<int>(n);
    }
    return -1;
}
