#include "ArbPhaseMath.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace ArbPhase {
namespace {
const QStringList& Names() {
    static const QStringList names = {"DD",  "DY",  "DYn",  "DZ",  "DZn",  "YD",        "YnD",    "YY",
                                      "YnY", "YYn", "YnYn", "YZ",  "YnZ",  "YZn",       "YnZn",   "ZD",
                                      "ZnD", "ZY",  "ZnY",  "ZYn", "ZnYn", "YnYn Auto", "YY Auto"};
    return names;
}
const QStringList& UpperNames() {
    static const QStringList upper = [] {
        QStringList u;
        for (const QString& n : Names())
            u << n.toUpper();
        return u;
    }();
    return upper;
}
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
} // namespace

int VectorGroupIndex(const QString& vectorGroup) {
    return int(UpperNames().indexOf(vectorGroup.toUpper()));
}

QString VectorGroupName(int index) {
    return Names().value(index);
}

TFactors FactorsFor(int index) {
    const float s3 = std::sqrt(3.0f);
    switch (index) {
    case 1:
    case 2:
        return {1 / s3, 1};
    case 3:
    case 4:
        return {2.0f / 3, 2.0f / 3};
    case 5:
    case 6:
        return {s3, 1};
    case 11:
    case 12:
    case 13:
    case 14:
        return {2 / s3, 2 / s3};
    case 15:
    case 16:
        return {1.5f, 1.5f};
    case 17:
    case 18:
    case 19:
    case 20:
        return {s3 / 2, s3 / 2};
    default:
        return {1, 1};
    }
}

double CorrectionFor(const QString& vectorGroup) {
    const QString g = vectorGroup.toUpper();
    if (g == QLatin1String("DY") || g == QLatin1String("DYN"))
        return std::sqrt(3.0);
    if (g == QLatin1String("YD") || g == QLatin1String("YND"))
        return 1 / std::sqrt(3.0);
    return VectorGroupIndex(g) >= 0 ? 1.0 : 0.0;
}

float TurnsFunction(double a, double b) {
    const float fa = float(a), fb = float(b);
    const float root = fa * fa + fb * fb - fa * fb;
    if (!(root > 0))
        return NaN;
    return fa * fb / std::sqrt(root);
}

float PhaseFunction(double a, double b) {
    const float fa = float(a), fb = float(b);
    if (!(fa + fb != 0))
        return NaN;
    return float(std::atan(std::sqrt(3.0f) * (fa - fb) / (fa + fb)) * 180 / std::acos(-1.0));
}

bool Swapped(double k1A, double k2A, double k1, double k2) {
    return (k1A <= k2A && k1 > k2) || (k1A > k2A && k1 < k2);
}

bool TPhase::Valid() const {
    return std::isfinite(K1) && std::isfinite(K2) && K1 > 0 && K2 > 0 && std::isfinite(TurnsRatio) &&
           TurnsRatio > 0 && std::isfinite(PhaseShift) && std::isfinite(VoltageRatio);
}

TPhase ComputePhase(int phase, double k1, double k2, double k1A, double k2A, const TFactors& f) {
    TPhase p;
    p.K1 = k1;
    p.K2 = k2;
    p.TurnsRatio = TurnsFunction(k2, k1) / f.TurnsDivisor;
    p.Swap = phase > 0 && Swapped(k1A, k2A, k1, k2);
    p.PhaseShift = p.Swap ? PhaseFunction(k1, k2) : PhaseFunction(k2, k1);
    p.VoltageRatio = p.TurnsRatio * f.VoltRatio;
    return p;
}

} // namespace ArbPhase
