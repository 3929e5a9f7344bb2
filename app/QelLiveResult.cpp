// The live result of the data module and the simulation that stands in for the instrument.
// A simulated result travels the same road as a measured one from the moment it exists:
// AcceptTapResult, message 1401, the same texts.
#include "QelGlobals.h"

#include "Qel8624Device.h"

#include <QRandomGenerator>
#include <QTimer>

#include <cmath>
#include <limits>

TInstrumentState TQelGlobal::InstrumentState() const {
    TInstrumentState s;
    if (SimulationMode) {
        s.Link = LinkState::Idle;
        s.Status = SimTestStatus;
        s.VectorGroup = FSimVectorGroup;
        // As the instrument does: the setup's voltage while it measures, 255 otherwise.
        s.TestVoltage = SimTestStatus == TestStatus::Measuring ? CurrentSetup.Setup.TestVoltage : 255.0f;
        s.Simulated = true;
        return s;
    }
    s.Link = FQel->State();
    s.Status = FQel->Status();
    s.VectorGroup = FQel->ReportedVectorGroup();
    s.TestVoltage = FQel->ActualTestVoltage();
    s.ErrorNumber = FQel->ErrorNumber();
    return s;
}

void TQelGlobal::AcceptTapResult(const TTapResult& measured, qintptr source) {
    // Deviations against the winding pair of this test's setup: the record buffer may hold a
    // stored test read by an upload between two taps.
    LiveResult = measured;
    LiveResult.HVNominal = CurrentSetup.Setup.HVNominal;
    LiveResult.LVNominal = CurrentSetup.Setup.LVNominal;
    ComputeTapDeviations(LiveResult, CurrentSetup.Setup.HVConnection, CurrentSetup.Setup.LVConnection);
    const TInstrumentState now = InstrumentState();
    FLiveSnapshot.ErrorNumber = now.ErrorNumber;
    FLiveSnapshot.Simulated = now.Simulated;
    FLiveSnapshot.VectorGroup = now.VectorGroup;
    FLiveSnapshot.TestVoltage = CurrentSetup.Setup.TestVoltage;
    // The terminals of the pair just measured, as the instrument reported its vector group (it
    // found it itself in an automatic test); the setup's while it reports none. The pages that
    // take the result save the document.
    const TTestSetup& s = CurrentSetup.Setup;
    const bool reported = now.VectorGroup.Hv != Qel8624::conNotSet && now.VectorGroup.Lv != Qel8624::conNotSet;
    WriteMeasuredTerminals(reported ? now.VectorGroup
                                    : Qel8624::TVectorGroup{s.HVConnection, s.LVConnection, s.ClockNumber});
    PostToAll(UM_RESULT, wpResult, source);
}

TPhaseResultTexts TQelGlobal::PhaseResultTexts(int phase) const {
    return PhaseResultTexts(LiveResult, FLiveSnapshot, phase);
}

TPhaseResultTexts TQelGlobal::PhaseResultTexts(const TTapResult& result, const TResultSnapshot& snapshot,
                                               int phase) const {
    const Qel8624::TVectorGroup& vg = snapshot.VectorGroup;
    return MakePhaseResultTexts(result, phase, snapshot, VectorGroupLookup(phase, vg.Hv, vg.Lv, vg.Clock));
}

void TQelGlobal::SimTimerTick() {
    if (!SimulationMode || SimTestStatus != TestStatus::Measuring)
        return;
    const TTestSetup& s = CurrentSetup.Setup;
    const double hv = s.HVNominal;
    const double lv = s.LVNominal;
    // Without both nominal voltages there is no ratio to simulate: the result says so ("--")
    // and, like an instrument's, is flagged and gets no deviations.
    const bool nominal = hv > 0 && lv > 0 && std::isfinite(hv) && std::isfinite(lv);
    TTapResult r;
    for (int p = 0; p < 3; ++p) {
        const TVectorGroupMatch m = VectorGroupLookup(p, s.HVConnection, s.LVConnection, s.ClockNumber);
        // Turns ratio = voltage ratio / factor, the factor the texts of the result use.
        const double f = m.Factor;
        const int draw = SimDraw();
        r.Ratio[p] =
            nominal ? float((1 - draw / 10000.0) * (hv / lv) / f) : std::numeric_limits<float>::quiet_NaN();
    }
    for (int p = 0; p < 3; ++p)
        r.PhaseDeviation[p] = float(SimDraw() / 100.0);
    r.Current = {0.25f, 347.3f, 423.0f};
    if (s.ClockNumber == Qel8624::ClockArbitrary || s.ClockNumber == Qel8624::ClockArbitraryAuto) {
        const TVectorGroupMatch m = VectorGroupLookup(0, s.HVConnection, s.LVConnection, s.ClockNumber);
        SimulateArbitraryResult(r.Ratio[0], float(m.Factor));
    }
    SimTestStatus = TestStatus::TapWait;
    AcceptTapResult(r, lpOwnResult);
    OnTestStatus(SimTestStatus);
}
