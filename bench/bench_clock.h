#pragma once
// Small helpers the benchmarks share: a millisecond clock, the median of samples, a message pump, and the
// name of the architecture the benchmark runs as (figures of the 32-bit and the 64-bit build differ).
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace bench {

// The architecture this program was built for, for the first line of every benchmark's output.
inline const char* Architecture() {
    return sizeof(void*) == 8 ? "x64 (64-bit)" : "x86 (32-bit)";
}

// Milliseconds from the performance counter.
inline double Now() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// The value below which the fraction q of the samples lie (nearest rank).
inline double Percentile(std::vector<double> v, double q) {
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

// The upper median: the middle sample, or the upper of the two middle ones.
inline double Median(std::vector<double> v) {
    return Percentile(std::move(v), 0.5);
}

// Handles this thread's pending messages.
inline void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace bench
