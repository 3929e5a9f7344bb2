#pragma once
#include <QString>

// The arithmetic of the phase shift detection: from two voltage ratios of a phase, measured on
// two connections whose phasors lie 60 degrees apart, the turns ratio and the angle between the
// windings. The angle function gives angles within (-60, +60) degrees only.
namespace ArbPhase {

// The 23 vector groups the detection knows, in upper case ("DYN", "YNYN AUTO"); -1 for another.
int VectorGroupIndex(const QString& vectorGroup);
QString VectorGroupName(int index); // "DYn", "YnYn Auto", ...

struct TFactors {
    float VoltRatio = 1;    // turns ratio -> voltage ratio
    float TurnsDivisor = 1; // the ratio function's value -> turns ratio
};
TFactors FactorsFor(int index); // 1, 1 for -1

// The factor that brings the two voltage ratios of a phase to the windings' own ratio: x 1,
// x sqrt(3), / sqrt(3); 0 for a group the detection does not know.
double CorrectionFor(const QString& vectorGroup);

// T(a, b) = ab / sqrt(a^2 + b^2 - ab) and P(a, b) = atan(sqrt(3) (a - b) / (a + b)) in degrees,
// in single precision. A value that cannot be computed is not a number (never a plausible 0).
float TurnsFunction(double a, double b);
float PhaseFunction(double a, double b);

// Phases B and C are turned to phase A's orientation: their pair is swapped when its order
// differs from that of phase A's K1, K2.
bool Swapped(double k1A, double k2A, double k1, double k2);

struct TPhase {
    double K1 = 1, K2 = 1; // corrected voltage ratios
    float TurnsRatio = 0, PhaseShift = 0, VoltageRatio = 0;
    bool Swap = false;
    bool Valid() const; // both ratios and every result finite, the ratios positive
};
// Turns ratio, phase shift and voltage ratio of phase `phase` (0 A, 1 B, 2 C) from its pair and
// phase A's.
TPhase ComputePhase(int phase, double k1, double k2, double k1A, double k2A, const TFactors& f);

constexpr float EdgeDegrees = 59.0f; // a result beyond this is at the limit of the method

} // namespace ArbPhase
