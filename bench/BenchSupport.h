#pragma once
// What the benchmark programs share: the offscreen platform when no display is there, medians.
#include <QByteArray>
#include <QElapsedTimer>
#include <QtGlobal>

#include <algorithm>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

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

// The largest resident size of the process so far, in MiB.
inline long PeakMemoryMiB() {
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
#else
    return 0;
#endif
}
