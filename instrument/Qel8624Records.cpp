#include "Qel8624Records.h"

#include "Qel8624Protocol.h"

#include <cmath>

void ComputeTapDeviations(TTapResult& tap, qint32 hvConnection, qint32 lvConnection) {
    // A nominal voltage that is missing (0) or unreadable would turn every deviation into a
    // division by zero or NaN; such a tap is shown flagged instead.
    const bool usable = tap.HVNominal != 0 && tap.LVNominal != 0 && std::isfinite(tap.HVNominal) &&
                        std::isfinite(tap.LVNominal);
    if (!usable) {
        tap.RatioDeviation = {};
        tap.Flag = true;
        return;
    }
    // Single precision throughout, as the instrument reports its values.
    const float f = Qel8624::VectorGroupRatioFactor(hvConnection, lvConnection);
    const float nominal = f * tap.HVNominal / tap.LVNominal;
    for (int p = 0; p < 3; ++p)
        tap.RatioDeviation[p] = (tap.Ratio[p] / nominal - 1.0f) * 100.0f;
}
