#pragma once

// Time and medians for the benchmarks of quorvel.exe.

#include <windows.h>

#include <algorithm>
#include <vector>

namespace quorvel::bench {

/// Milliseconds on the performance counter.
inline double now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / frequency;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace quorvel::bench
