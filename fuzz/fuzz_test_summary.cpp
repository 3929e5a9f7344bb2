// What the test index reads from a test file, on arbitrary bytes: whatever it accepts gives rows
// that agree with the test's count and a worst deviation that is the largest in magnitude.
#include "TestSummary.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIndexedTest test;
    QString reason;
    if (!ReadTestSummary(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), test, &reason)) {
        if (reason.isEmpty())
            std::abort();
        return 0;
    }
    if (test.Rows != test.Results.size())
        std::abort();
    for (const TIndexedRow& r : test.Results)
        if (std::isfinite(r.RatioDeviation) &&
            (!std::isfinite(test.WorstDeviation) || std::fabs(r.RatioDeviation) > std::fabs(test.WorstDeviation)))
            std::abort();
    (void)test.SortKey();
    return 0;
}
