#pragma once
// What the benchmark programs share: the offscreen platform when no display is there, medians.
#include <QByteArray>
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
