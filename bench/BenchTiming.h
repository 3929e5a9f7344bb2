#pragma once
// Timing of the benchmarks: the median of several runs, so that one run disturbed by another
// engineer's build on the shared machine does not make the figure.
#include <QElapsedTimer>

#include <algorithm>
#include <vector>

template <class F> double MedianMs(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
