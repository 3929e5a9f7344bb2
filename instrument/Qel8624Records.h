#pragma once
#include <QDateTime>
#include <QString>

#include <array>

// Records the instrument thread fills from the instrument's replies and the data module keeps.
// Plain values: copied across the thread boundary, never shared.

// Measurement result of one tap.
struct TTapResult {
    float HVNominal = 0;                   // kV
    float LVNominal = 0;                   // kV
    std::array<float, 3> Ratio{};          // phases A, B, C
    std::array<float, 3> PhaseDeviation{}; // degrees
    std::array<float, 3> Current{};        // excitation current, mA
    std::array<float, 3> RatioDeviation{}; // %
    bool Flag = false;                     // marked by the instrument, or nominal voltages missing

    bool operator==(const TTapResult&) const = default;
};

// Header of a stored test, and of the setup sent for a test run.
struct TTestSetup {
    qint32 HVConnection = 0; // winding connection codes (0 D ... 6 CT, 15 not set)
    qint32 LVConnection = 0;
    qint32 ClockNumber = 0; // 0..11, 85/86 arbitrary phase shift, 255 not set
    float TestVoltage = 0;  // V, 0 = automatic
    float HVNominal = 0;    // kV
    float LVNominal = 0;    // kV
    qint32 TapA = 0;        // total taps (stored test) or tap measurements still to do (test start)
    qint32 TapB = 0;        // bottom tap number
    qint32 TapC = 0;        // nominal tap number
    float TapStep = 0;      // kV from tap to tap; 0: the taps are listed one by one
    qint32 TapResults = 0;  // tap results stored
    QString DUTSerialNumber;
    QString DUTLocation;
    QString DUTType;
    QString Operator;
    float MaxDeviation = 0; // %
    QDateTime TestDate;     // invalid = no date

    bool operator==(const TTestSetup&) const = default;
};

constexpr int QelMaxTaps = 126;

// A test as the instrument stores it: the header and one result per tap.
struct TMemoryData {
    TTestSetup Setup;
    std::array<TTapResult, QelMaxTaps> Taps{};

    bool operator==(const TMemoryData&) const = default;
};

// One entry of the instrument's memory directory.
struct TTestInfo {
    QString DUTSerialNumber;
    QString DUTLocation;
    QString DUTType;
    QString Operator;
    float MaxDeviation = 0; // %
    QDateTime TestDate;     // invalid = no date
    qint32 Slot = 0;        // 1 ... 100
};

// Selection record of the arbitrary phase shift detector.
struct TApmSelection {
    qint32 VoltageCode = 0; // 0, 16, 48, 96: first ... fourth test voltage
    qint32 Selection = 0;   // 102 selects the test voltage, else a measurement connection
    float Voltage = 0;      // V, truncated on the wire
    qint32 Mode = 0;        // 0 transformer, 9 auto-transformer

    bool operator==(const TApmSelection&) const = default;
};

// Live reading of the idle poll while live sampling is on (S P and S Q replies).
struct TLiveSampleA {
    float Ratio = 0; // primary / secondary; the previous ratio stays while secondary is ~0
    float PrimaryVoltage = 0;
    float SecondaryVoltage = 0;
    std::array<float, 3> Values{}; // S P values 3-5, handed on untouched
    quint8 Counter = 0;            // measurement counter, wraps
    quint8 StatusByte = 0;         // bit 7 reading valid, bit 6 output voltage failure
    qint32 GainCode = 0;
    qint32 QValue2 = 0;
    float QValue3 = 0;
    qint32 ConditionWord = 0; // 0: no reading yet
};

// Additional live reading (S K reply).
struct TLiveSampleB {
    float RawPrimaryVoltage = 0;
    float RawSecondaryVoltage = 0;
    qint32 KValue3 = 0;
    quint8 KValue4Low = 0;
    quint8 KValue4High = 0;
};

// Ratio deviation of each phase against the nominal ratio of the tap, corrected by the
// vector-group factor of the winding pair. Taps without both nominal voltages get no deviation
// and are flagged.
void ComputeTapDeviations(TTapResult& tap, qint32 hvConnection, qint32 lvConnection);
