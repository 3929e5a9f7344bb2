// The texts of an arbitrary phase shift result, and the simulation's result block.
#include "QelGlobals.h"

#include "Qel8624Device.h"
#include "SIPrefixes.h"
#include "XMLQel.h"

#include <cmath>

TPhaseResultTexts TQelGlobal::ArbitraryResultTexts(int phase) const {
    const QString none = QStringLiteral("--");
    TPhaseResultTexts t;
    t.TurnsRatio = t.RatioDeviation = t.Phase = t.Current = none;
    if (phase < 0 || phase > 2 || (!SimulationMode && FQel->ErrorNumber() != 0))
        return t;
    const TArbitraryResult& r = ArbitraryResult;
    const auto p = size_t(phase);
    t.TurnsRatio = ResultFormatS(r.TurnsRatio[p]);
    t.VoltageRatio = ResultFormatS(r.VoltageRatio[p]);
    const double hv = CurrentSetup.Setup.HVNominal, lv = CurrentSetup.Setup.LVNominal;
    const double deviation = (r.VoltageRatio[p] / (hv / lv) - 1) * 100;
    if (hv != 0 && lv != 0 && std::isfinite(deviation))
        t.RatioDeviation = FormatFixed(deviation, 0, 2, false) + QStringLiteral(" %");
    if (std::isfinite(r.PhaseShift[p]))
        t.Phase = FormatFixed(r.PhaseShift[p], 0, 2, false) + QStringLiteral(" °");
    t.TestVoltage = ResultFormatE(r.TestVoltage, 0, 2) + QLatin1Char('V');
    return t;
}

void TQelGlobal::SimulateArbitraryResult(float ratioA, float factor) {
    // What a detection would have stored: the simulated ratio of phase A for every phase.
    TArbitraryResult& r = ArbitraryResult;
    r.Count += 1;
    r.VectorGroup = ConfigurationText(CurrentSetup.Setup.HVConnection).toUpper() +
                    ConfigurationText(CurrentSetup.Setup.LVConnection).toUpper();
    r.TestVoltage = CurrentSetup.Setup.TestVoltage != 0 ? CurrentSetup.Setup.TestVoltage : TestVoltages[0];
    r.AtEdge = false;
    for (size_t p = 0; p < 3; ++p) {
        r.VoltageRatio[p] = ratioA * factor;
        r.TurnsRatio[p] = ratioA;
        r.PhaseShift[p] = float((1 - SimDraw() / 10000.0) * SimArbPhaseShift);
    }
}
