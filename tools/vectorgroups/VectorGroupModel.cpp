#include "VectorGroupModel.h"

#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <optional>
#include <stdexcept>

namespace VectorGroups {
namespace {

using TPhasor = std::complex<double>;
constexpr double Eps = 1e-9;

TPhasor Leg(int leg) {
    const double deg = -120.0 * (((leg % 3) + 3) % 3);
    return std::polar(1.0, deg * std::numbers::pi / 180.0);
}

enum class TKind { Delta, Star, Zigzag };

struct TWindingKind {
    const char* Name;
    TKind Kind;
    bool Neutral;
};

// One way of connecting a winding: the potentials of the line terminals 1, 2, 3 (balanced, the
// star point or the mean at 0); the neutral terminal, where there is one, sits at 0.
struct TConnection {
    std::array<TPhasor, 3> Line;
    bool Neutral = false;
};

// Delta, form 1: the coil of leg j + shift lies from terminal j to terminal j + 1 (from j to
// j - 1 in form 2), with the given polarity.
TConnection Delta(int form, int sign, int shift) {
    TConnection c;
    std::array<TPhasor, 3> coil;
    for (int j = 0; j < 3; ++j)
        coil[j] = double(sign) * Leg(j + shift);
    for (int j = 0; j < 3; ++j) {
        // Form 1: V_j - V_j+1 = coil_j, so 3 V_j = coil_j - coil_j-1; form 2 mirrored.
        c.Line[j] = form == 1 ? (coil[j] - coil[(j + 2) % 3]) / 3.0 : (coil[j] - coil[(j + 1) % 3]) / 3.0;
    }
    return c;
}

// Star: terminal j on leg j + shift.
TConnection Star(int sign, int shift, bool neutral) {
    TConnection c;
    for (int j = 0; j < 3; ++j)
        c.Line[j] = double(sign) * Leg(j + shift);
    c.Neutral = neutral;
    return c;
}

// Zig-zag: terminal j = half a coil on leg j + shift, then half a coil reversed on the leg
// `second` further on.
TConnection Zigzag(int second, int sign, int shift, bool neutral) {
    TConnection c;
    for (int j = 0; j < 3; ++j)
        c.Line[j] = double(sign) * (Leg(j + shift) - Leg(j + shift + second));
    c.Neutral = neutral;
    return c;
}

TConnection Reference(const TWindingKind& kind) {
    switch (kind.Kind) {
    case TKind::Delta:
        return Delta(1, 1, 0);
    case TKind::Star:
        return Star(1, 0, kind.Neutral);
    case TKind::Zigzag:
        return Zigzag(1, 1, 0, kind.Neutral);
    }
    throw std::logic_error("winding kind");
}

// Every way of connecting an LV winding, in the order in which the first of each clock is taken.
std::vector<TConnection> Variants(const TWindingKind& kind) {
    std::vector<TConnection> out;
    for (int form = 1; form <= 2; ++form)
        for (int sign : {1, -1})
            for (int shift = 0; shift < 3; ++shift) {
                switch (kind.Kind) {
                case TKind::Delta:
                    out.push_back(Delta(form, sign, shift));
                    break;
                case TKind::Star:
                    if (form == 1)
                        out.push_back(Star(sign, shift, kind.Neutral));
                    break;
                case TKind::Zigzag:
                    out.push_back(Zigzag(form, sign, shift, kind.Neutral));
                    break;
                }
            }
    return out;
}

double Degrees(TPhasor p) {
    return std::arg(p) * 180.0 / std::numbers::pi;
}

// The lag of the LV winding behind the HV winding in steps of 30°.
int ClockOf(const TConnection& hv, const TConnection& lv) {
    const double steps = (Degrees(hv.Line[0]) - Degrees(lv.Line[0])) / 30.0;
    const double k = std::round(steps);
    if (std::fabs(steps - k) > 1e-6)
        throw std::logic_error("a connection that is no clock number");
    return int(((long(k) % 12) + 12) % 12);
}

// One end of a measured pair: a terminal, or the junction of two line terminals tied together
// (whose potential is the mean of the two).
struct TEnd {
    std::string Name;
    TPhasor Potential;
};

std::vector<TEnd> Terminals(const TConnection& c, char letter) {
    std::vector<TEnd> ends;
    for (int j = 0; j < 3; ++j)
        ends.push_back({std::string(1, letter) + char('1' + j), c.Line[j]});
    if (c.Neutral)
        ends.push_back({std::string(1, letter) + '0', TPhasor(0)});
    return ends;
}

std::vector<TEnd> Junctions(const TConnection& c, char letter) {
    std::vector<TEnd> ends;
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) {
            const std::string name = std::string("(") + letter + char('1' + a) + letter + char('1' + b) + ")";
            ends.push_back({name, (c.Line[a] + c.Line[b]) / 2.0});
        }
    return ends;
}

bool AlongLeg(TPhasor v, int leg) {
    const TPhasor q = v / Leg(leg);
    return std::abs(v) > Eps && q.real() > Eps && std::fabs(q.imag()) < Eps * std::abs(v);
}

// The first pair of terminals whose voltage lies along the leg; failing that, a terminal against
// the junction of the two others (a star without neutral).
std::string PairAlongLeg(const TConnection& c, char letter, int leg) {
    const std::vector<TEnd> terminals = Terminals(c, letter);
    for (const TEnd& p : terminals)
        for (const TEnd& q : terminals)
            if (p.Name != q.Name && AlongLeg(p.Potential - q.Potential, leg))
                return p.Name + '-' + q.Name;
    const std::vector<TEnd> junctions = Junctions(c, letter);
    for (int t = 0; t < 3; ++t)
        for (const TEnd& j : junctions) {
            const TEnd& p = terminals[t];
            if (j.Name.find(p.Name) != std::string::npos)
                continue; // the junction of the other two only
            if (AlongLeg(p.Potential - j.Potential, leg))
                return p.Name + '-' + j.Name;
            if (AlongLeg(j.Potential - p.Potential, leg))
                return j.Name + '-' + p.Name;
        }
    throw std::logic_error("no pair along a leg");
}

double LineVolts(const TConnection& c) {
    return std::abs(c.Line[0] - c.Line[1]);
}

constexpr std::array<TWindingKind, 5> HvKinds = {{
    {"D", TKind::Delta, false},
    {"Y", TKind::Star, false},
    {"YN", TKind::Star, true},
    {"Z", TKind::Zigzag, false},
    {"ZN", TKind::Zigzag, true},
}};
constexpr std::array<TWindingKind, 5> LvKinds = {{
    {"d", TKind::Delta, false},
    {"y", TKind::Star, false},
    {"yn", TKind::Star, true},
    {"z", TKind::Zigzag, false},
    {"zn", TKind::Zigzag, true},
}};

std::string FactorText(double f) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", f);
    return text;
}

} // namespace

std::vector<TRow> Rows() {
    std::vector<TRow> rows;
    for (const TWindingKind& hvKind : HvKinds) {
        const TConnection hv = Reference(hvKind);
        for (const TWindingKind& lvKind : LvKinds) {
            std::array<std::optional<TConnection>, 12> byClock;
            for (const TConnection& lv : Variants(lvKind)) {
                std::optional<TConnection>& slot = byClock[ClockOf(hv, lv)];
                if (!slot)
                    slot = lv;
            }
            int clocks = 0;
            for (int clock = 0; clock < 12; ++clock) {
                if (!byClock[clock])
                    continue;
                ++clocks;
                const TConnection& lv = *byClock[clock];
                // Every coil (zig-zag: every half) has one turn, so the turns ratio is 1 and the
                // voltage ratio is the ratio of the line voltages.
                const double f = LineVolts(hv) / LineVolts(lv);
                for (int leg = 0; leg < 3; ++leg) {
                    TRow row;
                    row.Primary = hvKind.Name;
                    row.Secondary = lvKind.Name;
                    row.Clock = clock;
                    row.Phase = char('A' + leg);
                    row.Terminals = PairAlongLeg(hv, 'H', leg) + " :" + PairAlongLeg(lv, 'X', leg);
                    row.Factor = f;
                    rows.push_back(row);
                }
            }
            if (clocks != 6)
                throw std::logic_error("a winding pair without six clock numbers");
        }
    }
    return rows;
}

std::string TableText() {
    std::string text = "Primary,Secondary,Clock,Leg,Terminals,Factor\n";
    for (const TRow& r : Rows()) {
        text += r.Primary + ',' + r.Secondary + ',' + std::to_string(r.Clock) + ',' + r.Phase + ",\"" +
                r.Terminals + "\"," + FactorText(r.Factor) + '\n';
    }
    return text;
}

} // namespace VectorGroups
