#pragma once
#include <QString>

#include <array>

// The last arbitrary phase shift result (phase displacement 85, 86): what the phase shift
// detector measured, or in simulation what the simulation made. The measurement page enters it
// as three rows when message 1401 arrives during such a test.
struct TArbitraryResult {
    int Count = 0;                       // detections (and simulated results) since the program started
    QString VectorGroup;                 // upper case ("DYN"); empty without the vector-group correction
    float TestVoltage = 0;               // V
    std::array<float, 3> VoltageRatio{}; // phases A, B, C
    std::array<float, 3> TurnsRatio{};
    std::array<float, 3> PhaseShift{}; // degrees, within (-60, +60)
    // A phase shift close to the +-60 degrees that two voltage ratios can tell apart: the real
    // angle may lie beyond.
    bool AtEdge = false;
};
