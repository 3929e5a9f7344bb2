#include "Qel8624Protocol.h"

#include "RS232Comms.h"

#include <cmath>
#include <limits>

namespace Qel8624 {
namespace {

using Comms = TVuroRS232Comms;

QString Field(const QStringList& fields, int i) {
    return i >= 0 && i < fields.size() ? fields.at(i) : QString();
}

qint32 Int(const QStringList& fields, int i) {
    return Comms::DecodeInt(Field(fields, i));
}

float Float(const QStringList& fields, int i) {
    const auto v = Comms::DecodeFloat(Field(fields, i));
    if (!v)
        throw EConvertError("reply field " + std::to_string(i) + " is not a floating point value");
    return *v;
}

// Whole units toward zero; values no 32-bit integer can hold (NaN, huge) are sent as 0.
qint32 Truncate(float v) {
    if (!std::isfinite(v) || v >= 2147483648.0f || v < -2147483648.0f)
        return 0;
    return qint32(v);
}

QStringList Tokens(std::initializer_list<const char*> literals) {
    QStringList t;
    for (const char* l : literals)
        t << QString::fromLatin1(l);
    return t;
}

// Phase values of a tap reply start at field 3, three per phase.
void ReadPhases(const QStringList& fields, TTapReply& tap) {
    tap.HvNominal = Float(fields, 1);
    tap.LvNominal = Float(fields, 2);
    for (int p = 0; p < 3; ++p) {
        tap.Phase[p].Ratio = Float(fields, 3 + 3 * p);
        tap.Phase[p].Current = Float(fields, 4 + 3 * p);
        tap.Phase[p].PhaseDeviation = Float(fields, 5 + 3 * p);
    }
}

} // namespace

bool IsSetupResendError(int e) {
    return e == 2305 || (e >= 2307 && e <= 2311) || e == 2316 || e == 2368;
}

int ErrorNumber(const QStringList& fields) {
    const QString status = Field(fields, 0);
    if (status == QLatin1String("+OK"))
        return 0;
    if (status == QLatin1String("+ERROR"))
        return Int(fields, 1);
    return -1;
}

bool IsAccepted(const QStringList& fields) {
    return Field(fields, 0) == QLatin1String("+OK");
}

qint32 TVectorGroup::Pack() const {
    return ((Hv & 0xF) << 12) | ((Lv & 0xF) << 8) | (Clock & 0xFF);
}

TVectorGroup TVectorGroup::Unpack(qint32 packed) {
    return {int((packed >> 12) & 0xF), int((packed >> 8) & 0xF), int(packed & 0xFF)};
}

float VectorGroupRatioFactor(int hv, int lv) {
    constexpr float Sqrt3 = 1.7320508f, InvSqrt3 = 0.57735026f, Third = 0.33333334f;
    // Rows HV D, Y, YN, Z, ZN; columns LV D, Y, YN, Z, ZN. A neutral changes no ratio: YN is Y,
    // ZN is Z on either side.
    static constexpr float Table[5][5] = {
        {1, Sqrt3, Sqrt3, 3, 3},           {InvSqrt3, 1, 1, Sqrt3, Sqrt3},    {InvSqrt3, 1, 1, Sqrt3, Sqrt3},
        {Third, InvSqrt3, InvSqrt3, 1, 1}, {Third, InvSqrt3, InvSqrt3, 1, 1},
    };
    if (hv < conD || hv > conZN || lv < conD || lv > conZN)
        return 1;
    return Table[hv][lv];
}

TestStatus MapStatusCode(qint32 code, TestStatus current) {
    if (code >= 0 && code <= 8)
        return TestStatus(code);
    switch (code) {
    case 249:
        return TestStatus::UnsavedData;
    case 250:
        return TestStatus::NoMemory;
    case 251:
        return TestStatus::EmergencyStop;
    case 252:
        return TestStatus::OverCurrent;
    case 253:
        return TestStatus::OutOfRange;
    case 254:
        return TestStatus::ConfigFault;
    case 255:
        return TestStatus::ReversedConn;
    case 65535:
        return current == TestStatus::Measuring ? TestStatus::Measuring : TestStatus::ConfigFault;
    default:
        return current;
    }
}

TStatusReply DecodeStatus(const QStringList& fields, const QString& receivedText, TestStatus current) {
    TStatusReply r;
    r.Status = current;
    r.VectorGroup = TVectorGroup::Unpack(Int(fields, 2));
    if (receivedText.contains(QLatin1String("+ERROR:"))) {
        r.Refused = true;
        return r;
    }
    r.TestVoltage = Int(fields, 3);
    r.Fourth = Int(fields, 4);
    r.Status = MapStatusCode(Int(fields, 1), current);
    return r;
}

std::array<quint8, MemorySlots> DecodeMemoryDirectory(const QString& directory) {
    std::array<quint8, MemorySlots> slots{};
    for (int i = 0; i < MemorySlots && i < directory.size(); ++i) {
        const QChar c = directory.at(i);
        slots[i] = c == QLatin1Char('R') ? slotMeasurement : c == QLatin1Char('S') ? slotSetup : slotEmpty;
    }
    return slots;
}

int FirmwareVersionNumber(const QString& versionText) {
    int part[3] = {1, 0, 0};
    QString text = versionText;
    text.remove(QLatin1Char(' '));
    const QStringList pieces = text.split(QLatin1Char('.'));
    for (int i = 0; i < 3 && i < pieces.size(); ++i) {
        bool ok = false;
        const int v = pieces.at(i).toInt(&ok, 10);
        if (ok && v >= 0 && v < 100000)
            part[i] = v;
    }
    return part[0] * 10000 + part[1] * 100 + part[2];
}

TIdentification DecodeIdentification(const QStringList& fields) {
    return {Field(fields, 1), Field(fields, 2), Field(fields, 3)};
}

TCalibration DecodeCalibration(const QStringList& fields) {
    return {Field(fields, 1), Comms::DecodeDateTime(Field(fields, 2)),
            Comms::DecodeDateTime(Field(fields, 3))};
}

TInfoReply DecodeInfo(const QStringList& fields) {
    TInfoReply r;
    r.DutSerialNumber = Field(fields, 1);
    r.DutLocation = Field(fields, 2);
    r.DutType = Field(fields, 3);
    r.Operator = Field(fields, 4);
    r.MaxDeviation = Float(fields, 5);
    r.TestDate = Comms::DecodeDateTime(Field(fields, 6));
    return r;
}

TStoredSetupReply DecodeStoredSetup(const QStringList& fields) {
    TStoredSetupReply r;
    r.VectorGroup = TVectorGroup::Unpack(Int(fields, 1));
    r.TestVoltage = Int(fields, 2);
    r.HvNominal = Float(fields, 3);
    r.LvNominal = Float(fields, 4);
    r.TotalTaps = Int(fields, 5);
    r.BottomTap = Int(fields, 6);
    r.NominalTap = Int(fields, 7);
    r.TapStep = Float(fields, 8);
    r.StoredResults = Int(fields, 9);
    return r;
}

TTapReply DecodeStoredTap(const QStringList& fields) {
    TTapReply r;
    ReadPhases(fields, r);
    r.Flagged = Int(fields, 12) != 0;
    return r;
}

TTapReply DecodeTestTap(const QStringList& fields) {
    TTapReply r;
    ReadPhases(fields, r);
    return r;
}

TLiveP DecodeLiveP(const QStringList& fields) {
    TLiveP r;
    r.Primary = Float(fields, 1);
    r.Secondary = Float(fields, 2);
    for (int i = 0; i < 3; ++i)
        r.Values[i] = Float(fields, 3 + i);
    const qint32 counterAndStatus = Int(fields, 6);
    r.Counter = quint8(counterAndStatus & 0xFF);
    r.StatusByte = quint8((counterAndStatus >> 8) & 0xFF);
    r.Condition = Int(fields, 7);
    return r;
}

TLiveQ DecodeLiveQ(const QStringList& fields) {
    return {Int(fields, 1), Int(fields, 2), float(Int(fields, 3))};
}

TLiveK DecodeLiveK(const QStringList& fields) {
    TLiveK r;
    r.RawPrimary = Float(fields, 1);
    r.RawSecondary = Float(fields, 2);
    r.Value3 = Int(fields, 3);
    const qint32 v4 = Int(fields, 4);
    r.Value4Low = quint8(v4 & 0xFF);
    r.Value4High = quint8((v4 >> 8) & 0xFF);
    return r;
}

QStringList ConnectRequest() {
    return Tokens({"C", "O"});
}
QStringList IdentifyRequest() {
    return Tokens({"I"});
}
QStringList CalibrationRequest() {
    return Tokens({"S", "I"});
}
QStringList CheckRequest() {
    return Tokens({"C", "M"});
}
QStringList StatusRequest() {
    return Tokens({"T", "M", "Q"});
}
QStringList DisconnectRequest() {
    return Tokens({"C", "C"});
}
QStringList LivePRequest() {
    return Tokens({"S", "P"});
}
QStringList LiveQRequest() {
    return Tokens({"S", "Q"});
}
QStringList LiveKRequest() {
    return Tokens({"S", "K"});
}

QStringList MemGetDirRequest() {
    return Tokens({"M", "G"});
}
QStringList MemDeleteRequest(qint32 slot) {
    return Tokens({"M", "F"}) << Comms::IntToken(slot);
}
QStringList MemReadSetupRequest(qint32 slot) {
    return Tokens({"M", "R", "S"}) << Comms::IntToken(slot);
}
QStringList MemReadInfoRequest(qint32 slot) {
    return Tokens({"M", "R", "I"}) << Comms::IntToken(slot);
}
QStringList MemReadTapRequest(qint32 slot, qint32 tap) {
    return Tokens({"M", "R", "T"}) << Comms::IntToken(slot) << Comms::IntToken(tap);
}

QList<QStringList> TestSetupRequests(const TTestSetupArgs& s) {
    return {
        Tokens({"T", "S", "V"}) << Comms::IntToken(s.VectorGroup.Pack())
                                << Comms::IntToken(Truncate(s.TestVoltage)),
        Tokens({"T", "S", "T"}) << Comms::IntToken(s.TapA) << Comms::IntToken(s.TapB)
                                << Comms::IntToken(s.TapC) << Comms::FloatToken(0),
        Tokens({"T", "S", "N"}) << Comms::FloatToken(s.HvNominal) << Comms::FloatToken(s.LvNominal),
        Tokens({"T", "I", "S"}) << s.DutSerialNumber,
        Tokens({"T", "I", "L"}) << s.DutLocation,
        Tokens({"T", "I", "T"}) << s.DutType,
        Tokens({"T", "I", "O"}) << s.Operator,
        Tokens({"T", "I", "D"}) << Comms::FloatToken(s.MaxDeviation),
    };
}

QStringList TestSetupTapRequest(int index, float hv, float lv) {
    return Tokens({"T", "S", "I"}) << Comms::FloatToken(float(index)) << Comms::FloatToken(hv)
                                   << Comms::FloatToken(lv);
}

QStringList TestRunRequest() {
    return Tokens({"T", "M", "R"});
}
QStringList TestHaltRequest() {
    return Tokens({"T", "M", "H"});
}
QStringList TestContinueRequest() {
    return Tokens({"T", "M", "C"});
}
QStringList TestGetTapRequest(qint32 n) {
    return Tokens({"T", "R", "T"}) << Comms::IntToken(n);
}

QStringList ApmOutputRequest(bool on) {
    return Tokens({"S", "O"}) << Comms::IntToken(on ? 1 : 0);
}
QStringList ApmVoltageRequest(qint32 code) {
    return Tokens({"S", "G"}) << Comms::IntToken(code);
}
QStringList ApmSelectRequest(qint32 selection, float voltage) {
    return Tokens({"S", "C"}) << Comms::IntToken(selection) << Comms::IntToken(Truncate(voltage));
}
QStringList ApmSelectExtRequest(qint32 selection, float voltage, qint32 mode) {
    return Tokens({"S", "H"}) << Comms::IntToken(selection) << Comms::IntToken(Truncate(voltage))
                              << Comms::IntToken(mode);
}

} // namespace Qel8624
