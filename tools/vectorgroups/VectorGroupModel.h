#pragma once
#include <string>
#include <vector>

// The vector group table of the application ("VectorGroupTable.csv") computed from a phasor
// model of the windings, so that its rows follow from the physics instead of being typed.
//
// Model: a three-limb core whose legs 0, 1, 2 carry balanced fluxes; the voltage per turn of
// leg L is e_L = 1 at -120° * L. A coil sits on one leg. The HV winding is the reference and is
// built one way per kind (delta with the coil of leg 0 between H1 and H2, star with H1 on leg 0,
// zig-zag with H1 = n + e_0 - e_1); the LV winding takes every way of connecting its coils
// (star: leg and polarity; delta: two delta forms; zig-zag: the leg of its second half), and
// each way gives one clock number: the lag of X1 behind H1 in steps of 30°.
//
// For phase A, B, C (leg 0, 1, 2) a row names one HV pair and one LV pair whose voltages both
// lie along that leg's voltage, so the two are in phase: two terminals where some pair does
// (H1-H2 of a delta, H1-H0 of a star with neutral, H1-H3 of a zig-zag), otherwise a terminal
// against the junction of the other two, "(H2H3)" (a star without neutral). The factor is line
// voltage ratio over coil turns ratio with one coil (half a coil for zig-zag) per leg.
namespace VectorGroups {

struct TRow {
    std::string Primary;   // HV connection name "D", "Y", "YN", "Z", "ZN"
    std::string Secondary; // LV connection name "d", "y", "yn", "z", "zn"
    int Clock = 0;
    char Phase = 'A';
    std::string Terminals; // "H1-H2 :X1-X0"
    double Factor = 1;     // measured turns ratio times this is the voltage ratio
};

// Every row, HV kinds D, Y, YN, Z, ZN by LV kinds d, y, yn, z, zn, the six clock numbers of each
// pair ascending, phases A, B, C.
std::vector<TRow> Rows();

// The table as the file holds it: the title line, then one line per row, each ended by "\n".
std::string TableText();

} // namespace VectorGroups
