#include "QelResultTexts.h"

#include "SIPrefixes.h"

#include <cmath>

namespace {
const QString NotComputable = QStringLiteral("--");
}

QString ResultFormatS(double value) {
    if (!std::isfinite(value))
        return NotComputable;
    const int digits = value == 0 ? 1 : int(std::trunc(std::log10(std::fabs(value)))) + 1;
    return FormatFixed(value, 0, std::max(0, 5 - digits), false);
}

QString ResultFormatF(double value) {
    if (!std::isfinite(value))
        return NotComputable;
    return FormatFixed(value, 5, 2, false);
}

QString ResultFormatE(double value, int width, int decimals) {
    if (!std::isfinite(value))
        return NotComputable;
    return FormatSI(value, width, decimals, false, 1.0);
}

TPhaseResultTexts MakePhaseResultTexts(const TTapResult& result, int phase, const TResultSnapshot& snapshot,
                                       const TVectorGroupMatch& match) {
    TPhaseResultTexts t;
    t.TurnsRatio = t.RatioDeviation = t.Phase = t.Current = NotComputable;
    if (phase < 0 || phase > 2)
        return t;
    if (snapshot.ErrorNumber != 0 && !snapshot.Simulated)
        return t;
    t.TestVoltage = snapshot.TestVoltage > 0 && std::isfinite(snapshot.TestVoltage)
                        ? ResultFormatE(snapshot.TestVoltage, 0, 2) + QLatin1Char('V')
                        : NotComputable;
    const double r = result.Ratio[phase];
    t.TurnsRatio = ResultFormatS(r);
    t.VoltageRatio = ResultFormatS(r * match.Factor);
    const double hv = result.HVNominal;
    const double lv = result.LVNominal;
    if (hv != 0 && lv != 0 && std::isfinite(hv) && std::isfinite(lv)) {
        const double deviation = (r * match.Factor / (hv / lv) - 1) * 100;
        if (std::isfinite(deviation))
            t.RatioDeviation = ResultFormatF(deviation) + QStringLiteral(" %");
    }
    if (std::isfinite(result.PhaseDeviation[phase]))
        t.Phase = ResultFormatF(result.PhaseDeviation[phase]) + QStringLiteral(" °");
    if (std::isfinite(result.Current[phase]))
        t.Current = ResultFormatE(result.Current[phase] / 1000.0, 5, 1) + QLatin1Char('A');
    return t;
}
