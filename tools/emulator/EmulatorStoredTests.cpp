#include "Qel8624Emulator.h"

using namespace Qel8624;

namespace {

// A tap result close to the ideal ratio, with small fixed per-phase errors so that uploads show
// distinct, plausible values.
TTapReply Tap(const TVectorGroup& vg, float hv, float lv, int index) {
    TTapReply t;
    t.HvNominal = hv;
    t.LvNominal = lv;
    const float ideal = VectorGroupRatioFactor(vg.Hv, vg.Lv) * hv / lv;
    const float error[3] = {0.0008f, -0.0011f, 0.0004f};
    for (int p = 0; p < 3; ++p) {
        t.Phase[p].Ratio = ideal * (1 + error[p] + 0.0001f * float(index));
        t.Phase[p].Current = 1.8f + 0.3f * float(p) + 0.05f * float(index);
        t.Phase[p].PhaseDeviation = 0.012f * float(p - 1) + 0.002f * float(index);
    }
    return t;
}

TEmulatorStoredTest Measurement(int slot, TVectorGroup vg, float hv, float lv, int taps, int bottom,
                                int nominal, float step, const QStringList& info, const QDateTime& date) {
    TEmulatorStoredTest t;
    t.Slot = slot;
    t.Setup = {vg, 100, hv, lv, taps, bottom, nominal, step, taps};
    t.Info = {info.value(0), info.value(1), info.value(2), info.value(3), 0.5f, date};
    // The tap changer steps the LV winding: the nominal tap carries the LV nominal voltage, and
    // the stored LV voltages are the ones the tap table of the upload gives.
    for (int i = 0; i < taps; ++i)
        t.Taps.append(Tap(vg, hv, lv + float(i + bottom - nominal) * step, i));
    return t;
}

} // namespace

QList<TEmulatorStoredTest> TQel8624Emulator::DefaultStoredTests() {
    QList<TEmulatorStoredTest> tests;
    // Dyn11 110 kV / 20 kV with a five-position tap changer in 0.5 kV steps.
    tests << Measurement(1, {conD, conYN, 11}, 110, 20, 5, 1, 3, 0.5f,
                         {QStringLiteral("T-110-4711"), QStringLiteral("Substation North"),
                          QStringLiteral("ONAN 40 MVA"), QStringLiteral("J. Smith")},
                         QDateTime(QDate(2026, 3, 14), QTime(10, 22, 5)));
    // YNd5 220 kV / 10.5 kV, taps listed one by one; the middle tap was flagged by the instrument.
    auto second = Measurement(2, {conYN, conD, 5}, 220, 10.5f, 3, 1, 2, 0,
                              {QStringLiteral("GT-2"), QStringLiteral("Power Plant / Block 2"),
                               QStringLiteral("Step-up"), QStringLiteral("A. Jones")},
                              QDateTime(QDate(2026, 5, 2), QTime(7, 45, 30)));
    second.Taps[1].Flagged = true;
    tests << second;
    // A stored setup without results: Yy0 20 kV / 0.4 kV, nine taps of 10 V.
    TEmulatorStoredTest setup;
    setup.Slot = 4;
    setup.SetupOnly = true;
    setup.Setup = {{conY, conY, 0}, 0, 20, 0.4f, 9, 1, 5, 0.01f, 0};
    setup.Info = {QStringLiteral("DT-9"),
                  QStringLiteral("Village West"),
                  QStringLiteral("Distribution"),
                  QStringLiteral("Service"),
                  1.0f,
                  QDateTime(QDate(2026, 1, 20), QTime(13, 0, 0))};
    tests << setup;
    return tests;
}
