#pragma once
// What the benchmark programs share: the offscreen platform when no display is there, medians.
#include <QByteArray>
#include <QElapsedTimer>
#include <QtGlobal>

#include <algorithm>
#include <vector>

// Before the application object: without a display the benchmarks run offscreen.
inline void OffscreenWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// The median time of several runs of f in ms, so that one run disturbed by another build on the
// shared machine does not make the figure.
template <class F> double MedianMs(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return Median(std::move(times));
}
