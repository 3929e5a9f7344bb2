#pragma once
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Command set of the QEL 8624: request builders (token lists for TVuroRS232Comms) and decoders of
// the reply fields. Pure functions without I/O, so the instrument thread, the emulator, the tests
// and the fuzz targets share one reading of every frame.
//
// Decoders take the reply fields as split by the transport (field 0 the status, last field "~").
// Integer and date fields that are missing or malformed read as 0; float fields that are missing
// or malformed throw EConvertError (RS232Comms.h), as the transport's ReplyFloat does.

// Test status of the instrument (the mapping from its status codes is in MapStatusCode).
enum class TestStatus : quint8 {
    Idle = 0,
    CheckConn = 1,
    CheckConfig = 2,
    CheckDispl = 3,
    Measuring = 4,
    TapWait = 5,
    SysIntegrity = 6,
    CheckVoltage = 7,
    FloatingInputs = 8,
    UnsavedData = 9,
    NoMemory = 10,
    EmergencyStop = 11,
    OutOfRange = 12,
    OverCurrent = 13,
    ConfigFault = 14,
    ReversedConn = 15,
};

// Queued request kinds of the instrument thread.
enum class CommandType : int {
    MEMGETDIR = 3,
    MEMDELETE = 4,
    MEMGETRECORD = 9,
    MEMGETINFO = 10,
    TESTSETUP = 11,
    TESTRUN = 12,
    TESTHALT = 13,
    TESTCONTINUE = 14,
    TESTGETTAP = 17,
    APMOUTPUT = 27,
    APMSELECT = 28,
    APMSELECTEXT = 39,
};

namespace Qel8624 {

// Winding connection codes and special clock numbers of the packed vector group.
enum TConnection : int {
    conD = 0,
    conY = 1,
    conYN = 2,
    conZ = 3,
    conZN = 4,
    con1P = 5,
    conCT = 6,
    conNotSet = 15
};
constexpr int ClockArbitrary = 85;
constexpr int ClockArbitraryAuto = 86;
constexpr int ClockNotSet = 255;

// Error numbers with a defined reaction.
constexpr int ErrEndOfList = 2311;        // ends a per-tap list
bool IsSetupResendError(int errorNumber); // 2305, 2307-2311, 2316, 2368

// Status field: 0 for "+OK", field 1 for "+ERROR", -1 for anything else.
int ErrorNumber(const QStringList& fields);
bool IsAccepted(const QStringList& fields);

// Packed vector group: bits 12-15 HV connection, bits 8-11 LV connection, bits 0-7 clock number.
struct TVectorGroup {
    int Hv = conNotSet;
    int Lv = conNotSet;
    int Clock = ClockNotSet;

    qint32 Pack() const; // each part masked to its width
    static TVectorGroup Unpack(qint32 packed);
    bool operator==(const TVectorGroup&) const = default;
};

// Turns-ratio factor of a winding pair (D-Y gives sqrt(3) and so on; unknown pairs give 1).
float VectorGroupRatioFactor(int hvConnection, int lvConnection);

// Instrument status code (field 1 of T M Q) to test status; `current` decides 65535 and codes
// outside the table.
TestStatus MapStatusCode(qint32 code, TestStatus current);

struct TStatusReply {
    TVectorGroup VectorGroup;
    bool Refused = false;   // "+ERROR:" in the reply: only the vector group is valid
    qint32 TestVoltage = 0; // volts, 255 = not available
    qint32 Fourth = 0;
    TestStatus Status = TestStatus::Idle;
};
TStatusReply DecodeStatus(const QStringList& fields, const QString& receivedText, TestStatus current);

// Memory directory (field 1 of M G): per slot 1..100: 2 stored measurement, 1 stored setup, 0 empty.
constexpr int MemorySlots = 100;
enum TSlotKind : quint8 { slotEmpty = 0, slotSetup = 1, slotMeasurement = 2 };
std::array<quint8, MemorySlots> DecodeMemoryDirectory(const QString& directory);

// Firmware version text "2.05.12" -> 20512; missing parts default to 1.0.0.
int FirmwareVersionNumber(const QString& versionText);
constexpr int ExtendedSelectFirmware = 30000; // from here on S H replaces S C

// Reply "I".
struct TIdentification {
    QString Type, SerialNumber, Firmware;
};
TIdentification DecodeIdentification(const QStringList& fields);

// Reply "S I".
struct TCalibration {
    QString CalibratedBy;
    QDateTime LastCalibration, NextCalibration; // invalid = no date
};
TCalibration DecodeCalibration(const QStringList& fields);

// Reply "M R I" / MEMGETINFO.
struct TInfoReply {
    QString DutSerialNumber, DutLocation, DutType, Operator;
    float MaxDeviation = 0; // %
    QDateTime TestDate;
};
TInfoReply DecodeInfo(const QStringList& fields);

// Reply "M R S".
struct TStoredSetupReply {
    TVectorGroup VectorGroup;
    qint32 TestVoltage = 0;             // V, 0 = automatic
    float HvNominal = 0, LvNominal = 0; // kV
    qint32 TotalTaps = 0, BottomTap = 0, NominalTap = 0;
    float TapStep = 0; // kV
    qint32 StoredResults = 0;
};
TStoredSetupReply DecodeStoredSetup(const QStringList& fields);

// Per-phase values of a tap (A, B, C).
struct TPhaseValues {
    float Ratio = 0;
    float Current = 0;        // mA
    float PhaseDeviation = 0; // degrees
};

// Reply "M R T" (stored tap) and "T R T" (tap of the running test).
struct TTapReply {
    float HvNominal = 0, LvNominal = 0; // kV
    std::array<TPhaseValues, 3> Phase;
    bool Flagged = false; // M R T field 12 only
};
TTapReply DecodeStoredTap(const QStringList& fields);
TTapReply DecodeTestTap(const QStringList& fields);

// Live samples.
struct TLiveP {
    float Primary = 0, Secondary = 0;
    std::array<float, 3> Values{}; // fields 3-5, passed on untouched
    quint8 Counter = 0;
    quint8 StatusByte = 0;
    qint32 Condition = 0;
};
TLiveP DecodeLiveP(const QStringList& fields);
struct TLiveQ {
    qint32 GainCode = 0, Value2 = 0;
    float Value3 = 0; // an integer on the wire, kept as a float
};
TLiveQ DecodeLiveQ(const QStringList& fields);
struct TLiveK {
    float RawPrimary = 0, RawSecondary = 0;
    qint32 Value3 = 0;
    quint8 Value4Low = 0, Value4High = 0;
};
TLiveK DecodeLiveK(const QStringList& fields);

// --- Request builders: the tokens of one frame each. ---
QStringList ConnectRequest();     // C O
QStringList IdentifyRequest();    // I
QStringList CalibrationRequest(); // S I
QStringList CheckRequest();       // C M
QStringList StatusRequest();      // T M Q
QStringList DisconnectRequest();  // C C
QStringList LivePRequest();       // S P
QStringList LiveQRequest();       // S Q
QStringList LiveKRequest();       // S K

QStringList MemGetDirRequest();                         // M G
QStringList MemDeleteRequest(qint32 slot);              // M F slot
QStringList MemReadSetupRequest(qint32 slot);           // M R S slot
QStringList MemReadInfoRequest(qint32 slot);            // M R I slot
QStringList MemReadTapRequest(qint32 slot, qint32 tap); // M R T slot tap
constexpr int MaxTaps = 126;

// Everything a test setup carries (the header of a stored test without its date).
struct TTestSetupArgs {
    TVectorGroup VectorGroup;
    float TestVoltage = 0; // V, truncated to whole volts on the wire
    qint32 TapA = 0, TapB = 0, TapC = 0;
    float HvNominal = 0, LvNominal = 0; // kV
    QString DutSerialNumber, DutLocation, DutType, Operator;
    float MaxDeviation = 0;
};
// T S V, T S T, T S N, T I S, T I L, T I T, T I O, T I D in this order.
QList<QStringList> TestSetupRequests(const TTestSetupArgs& setup);
// T S I index hv lv (one per tap when the tap step is 0).
QStringList TestSetupTapRequest(int index, float hvNominal, float lvNominal);

QStringList TestRunRequest();            // T M R
QStringList TestHaltRequest();           // T M H
QStringList TestContinueRequest();       // T M C
QStringList TestGetTapRequest(qint32 n); // T R T n

QStringList ApmOutputRequest(bool on);                                         // S O 1|0
QStringList ApmVoltageRequest(qint32 voltageCode);                             // S G code
QStringList ApmSelectRequest(qint32 selection, float voltage);                 // S C sel volt
QStringList ApmSelectExtRequest(qint32 selection, float voltage, qint32 mode); // S H sel volt mode

} // namespace Qel8624
