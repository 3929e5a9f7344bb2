#pragma once
#include <QString>

#include "Qel8624Protocol.h"
#include "Qel8624Records.h"
#include "VectorGroupTable.h"

// How a measured phase value becomes the texts the live display, the measurement page, the
// printout and the reports show. A value that is not finite shows "--" in every format.

// Format S, five significant digits: 12.345 "12.345", 1.2 "1.2000", 123456 "123456".
QString ResultFormatS(double value);
// Format F, two decimals in five characters: 0.1234 " 0.12", -12.345 "-12.3", 1234.56 " 1235".
QString ResultFormatF(double value);
// Format E, engineering with the SI prefix letter: 0.00025 with width 5 and one decimal "250.0 µ".
QString ResultFormatE(double value, int width, int decimals);

// What the data module knew about the link when it accepted a result. The texts of a result are
// made from this, never from the link as it is when they are asked for: polls go on meanwhile,
// and one that fails must not blank a good result.
struct TResultSnapshot {
    int ErrorNumber = 0;               // of the link's last reply when the result was accepted
    bool Simulated = false;            // made by the simulation
    Qel8624::TVectorGroup VectorGroup; // as the (simulated) instrument reported it
    float TestVoltage = 0;             // V of the test's setup; 0 automatic
};

// The texts of one phase of a result.
struct TPhaseResultTexts {
    QString TurnsRatio;     // format S
    QString VoltageRatio;   // format S of the turns ratio times the vector group factor
    QString RatioDeviation; // format F + " %"
    QString Phase;          // format F + " °"
    QString Current;        // format E (width 5, one decimal) + "A"
    QString TestVoltage;    // format E (two decimals) + "V"; "--" for an automatic voltage
    bool operator==(const TPhaseResultTexts&) const = default;
};

// The texts of phase 0, 1, 2 of `result` with the vector group table's answer for that phase.
// A result accepted while the instrument reported an error (never a simulated one) shows "--" and
// no voltage ratio. Without a row of the table the factor is 1.0: the voltage ratio is the turns
// ratio, and the deviation is computed all the same; it shows "--" only without both nominal
// voltages.
TPhaseResultTexts MakePhaseResultTexts(const TTapResult& result, int phase, const TResultSnapshot& snapshot,
                                       const TVectorGroupMatch& match);
