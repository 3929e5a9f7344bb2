// Request frames and reply decoding of the instrument's command set.
#include "Qel8624Protocol.h"
#include "RS232Comms.h"

#include <QTest>

using namespace Qel8624;
using Comms = TVuroRS232Comms;

namespace {
QStringList Fields(const char* frame) {
    return *Comms::SplitReply(frame);
}
} // namespace

class TProtocolTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void testSetupFramesOfDyn11() {
        // 3 remaining taps at 100 V on a Dyn11 110 kV / 20 kV transformer, started from the
        // measurement page: empty texts, no per-tap lines.
        TTestSetupArgs s;
        s.VectorGroup = {conD, conYN, 11};
        s.TestVoltage = 100.7f; // whole volts on the wire
        s.TapA = 3;
        s.HvNominal = 110;
        s.LvNominal = 20;
        QStringList frames;
        for (const auto& r : TestSetupRequests(s))
            frames << QString::fromLatin1(Comms::BuildFrame(r));
        QCOMPARE(frames, QStringList({"+T:S:V:0000020B:00000064:~:", "+T:S:T:00000003:00000000:00000000:0:~:",
                                      "+T:S:N:42DC0000:41A00000:~:", "+T:I:S::~:", "+T:I:L::~:", "+T:I:T::~:",
                                      "+T:I:O::~:", "+T:I:D:0:~:"}));
        QCOMPARE(TestSetupTapRequest(1, 112.75f, 20),
                 QStringList({"T", "S", "I", "3F800000", "42E18000", "41A00000"}));
        // Voltages no integer can hold are sent as 0 rather than as undefined values.
        s.TestVoltage = std::numeric_limits<float>::quiet_NaN();
        QCOMPARE(TestSetupRequests(s).at(0).at(4), QStringLiteral("00000000"));
    }

    void otherRequests() {
        QCOMPARE(MemReadTapRequest(2, 11), QStringList({"M", "R", "T", "00000002", "0000000B"}));
        QCOMPARE(MemDeleteRequest(0), QStringList({"M", "F", "00000000"}));
        QCOMPARE(TestGetTapRequest(0), QStringList({"T", "R", "T", "00000000"}));
        QCOMPARE(ApmOutputRequest(true), QStringList({"S", "O", "00000001"}));
        QCOMPARE(ApmSelectRequest(49, 99.9f), QStringList({"S", "C", "00000031", "00000063"}));
        QCOMPARE(ApmSelectExtRequest(54, 10, 9), QStringList({"S", "H", "00000036", "0000000A", "00000009"}));
        QCOMPARE(StatusRequest(), QStringList({"T", "M", "Q"}));
    }

    void statusField() {
        QCOMPARE(ErrorNumber(Fields("+OK:~:")), 0);
        QCOMPARE(ErrorNumber(Fields("+ERROR:00000907:~:")), 2311);
        QCOMPARE(ErrorNumber(Fields("OK:~:")), -1);
        QCOMPARE(ErrorNumber({}), -1);
        for (int e : {2305, 2307, 2308, 2309, 2310, 2311, 2316, 2368})
            QVERIFY(IsSetupResendError(e));
        for (int e : {0, 2306, 2312, 2304, -1})
            QVERIFY(!IsSetupResendError(e));
    }

    void statusCodes() {
        for (int c = 0; c <= 8; ++c)
            QCOMPARE(MapStatusCode(c, TestStatus::Idle), TestStatus(c));
        const std::pair<int, TestStatus> table[] = {
            {249, TestStatus::UnsavedData}, {250, TestStatus::NoMemory},   {251, TestStatus::EmergencyStop},
            {252, TestStatus::OverCurrent}, {253, TestStatus::OutOfRange}, {254, TestStatus::ConfigFault},
            {255, TestStatus::ReversedConn}};
        for (const auto& [code, status] : table)
            QCOMPARE(MapStatusCode(code, TestStatus::Measuring), status);
        QCOMPARE(MapStatusCode(65535, TestStatus::Measuring), TestStatus::Measuring);
        QCOMPARE(MapStatusCode(65535, TestStatus::Idle), TestStatus::ConfigFault);
        QCOMPARE(MapStatusCode(9, TestStatus::TapWait), TestStatus::TapWait); // unknown: unchanged
        QCOMPARE(MapStatusCode(-1, TestStatus::Idle), TestStatus::Idle);
    }

    void statusReply() {
        const char* frame = "+OK:000000FB:0000020B:00000064:00000000:~:";
        const auto r = DecodeStatus(Fields(frame), QString::fromLatin1(frame), TestStatus::Idle);
        QCOMPARE(r.Status, TestStatus::EmergencyStop);
        QCOMPARE(r.VectorGroup, (TVectorGroup{conD, conYN, 11}));
        QCOMPARE(r.TestVoltage, 100);
        QVERIFY(!r.Refused);

        // A refused query updates the vector group only.
        const char* refused = "+ERROR:00000901:0000120B:~:";
        const auto e = DecodeStatus(Fields(refused), QString::fromLatin1(refused), TestStatus::Measuring);
        QVERIFY(e.Refused);
        QCOMPARE(e.Status, TestStatus::Measuring);
        QCOMPARE(e.VectorGroup, (TVectorGroup{conY, conYN, 11}));
    }

    void vectorGroupPacking() {
        QCOMPARE((TVectorGroup{conD, conYN, 11}).Pack(), 0x020B);
        QCOMPARE(TVectorGroup{}.Pack(), 0xFFFF);
        QCOMPARE((TVectorGroup{0x1F, 0x12, 0x1FF}).Pack(), 0xF2FF); // each part masked
        QCOMPARE(TVectorGroup::Unpack(0x7FFF4A55), (TVectorGroup{4, 10, 0x55}));
        QCOMPARE(VectorGroupRatioFactor(conD, conYN), 1.7320508f);
        QCOMPARE(VectorGroupRatioFactor(conZ, conD), 0.33333334f);
        QCOMPARE(VectorGroupRatioFactor(conZN, conD), 0.33333334f);
        QCOMPARE(VectorGroupRatioFactor(conCT, conY), 1.0f);
    }

    void memoryDirectory() {
        const auto slots = DecodeMemoryDirectory(QStringLiteral("RS") + QString(98, QLatin1Char(' ')));
        QCOMPARE(slots[0], quint8(slotMeasurement));
        QCOMPARE(slots[1], quint8(slotSetup));
        QVERIFY(std::all_of(slots.begin() + 2, slots.end(), [](quint8 s) { return s == slotEmpty; }));
        // Short or overlong texts: missing slots are empty, extra characters ignored.
        QCOMPARE(DecodeMemoryDirectory(QStringLiteral("xR"))[1], quint8(slotMeasurement));
        QCOMPARE(DecodeMemoryDirectory(QString(150, QLatin1Char('R')))[99], quint8(slotMeasurement));
    }

    void firmwareVersion() {
        QCOMPARE(FirmwareVersionNumber(QStringLiteral("2.05.12")), 20512);
        QVERIFY(FirmwareVersionNumber(QStringLiteral("3.0.0")) >= ExtendedSelectFirmware);
        QVERIFY(FirmwareVersionNumber(QStringLiteral("2.99.99")) < ExtendedSelectFirmware);
        QCOMPARE(FirmwareVersionNumber(QStringLiteral(" 3 . 1 ")), 30100);
        QCOMPARE(FirmwareVersionNumber(QString()), 10000);
        QCOMPARE(FirmwareVersionNumber(QStringLiteral("x.y.z")), 10000);
        QCOMPARE(FirmwareVersionNumber(QStringLiteral("99999999999.1")), 10100); // no overflow
    }

    void identificationAndCalibration() {
        const auto id = DecodeIdentification(Fields("+OK:QEL 8625:1234:3.0.0:~:"));
        QCOMPARE(id.Type, QStringLiteral("QEL 8625"));
        QCOMPARE(id.Firmware, QStringLiteral("3.0.0"));
        const auto cal = DecodeCalibration(Fields("+OK:Lab/:7:0A0C1F173B3B:0A0D01000000:~:"));
        QCOMPARE(cal.CalibratedBy, QStringLiteral("Lab:7"));
        QCOMPARE(cal.LastCalibration, QDateTime(QDate(2010, 12, 31), QTime(23, 59, 59)));
        QVERIFY(!cal.NextCalibration.isValid());
    }

    void storedTestFields() {
        const auto s = DecodeStoredSetup(Fields("+OK:0000020B:00000064:42DC0000:41A00000:00000005:00000001:"
                                                "00000003:40300000:00000005:~:"));
        QCOMPARE(s.VectorGroup, (TVectorGroup{conD, conYN, 11}));
        QCOMPARE(s.TestVoltage, 100);
        QCOMPARE(s.HvNominal, 110.0f);
        QCOMPARE(s.TotalTaps, 5);
        QCOMPARE(s.NominalTap, 3);
        QCOMPARE(s.TapStep, 2.75f);
        QCOMPARE(s.StoredResults, 5);

        const auto i = DecodeInfo(Fields("+OK:T1:North:ONAN:Smith:3F000000:1A030E0A1605:~:"));
        QCOMPARE(i.DutLocation, QStringLiteral("North"));
        QCOMPARE(i.MaxDeviation, 0.5f);
        QCOMPARE(i.TestDate, QDateTime(QDate(2026, 3, 14), QTime(10, 22, 5)));

        QStringList tap{"+OK", Comms::FloatToken(110), Comms::FloatToken(20)};
        for (int k = 0; k < 9; ++k)
            tap << Comms::FloatToken(float(k + 1));
        tap << Comms::IntToken(1) << "~";
        const auto t = DecodeStoredTap(tap);
        QCOMPARE(t.Phase[0].Ratio, 1.0f);
        QCOMPARE(t.Phase[0].Current, 2.0f);
        QCOMPARE(t.Phase[0].PhaseDeviation, 3.0f);
        QCOMPARE(t.Phase[2].PhaseDeviation, 9.0f);
        QVERIFY(t.Flagged);
        QVERIFY(!DecodeTestTap(tap).Flagged); // T R T carries no flag

        // A malformed float is a conversion error, not a silent zero.
        tap[5] = QStringLiteral("nonsense");
        QVERIFY_THROWS_EXCEPTION(EConvertError, DecodeStoredTap(tap));
        QVERIFY_THROWS_EXCEPTION(EConvertError, DecodeTestTap(Fields("+OK:~:")));
    }

    void liveSamples() {
        const auto p = DecodeLiveP({"+OK", Comms::FloatToken(100), Comms::FloatToken(10), "0", "0", "0",
                                    Comms::IntToken(0x80F7), Comms::IntToken(0xC000), "~"});
        QCOMPARE(p.Primary, 100.0f);
        QCOMPARE(p.Counter, quint8(0xF7));
        QCOMPARE(p.StatusByte, quint8(0x80));
        QCOMPARE(p.Condition, 0xC000);
        const auto q = DecodeLiveQ(Fields("+OK:00000003:00000004:00000005:~:"));
        QCOMPARE(q.GainCode, 3);
        QCOMPARE(q.Value3, 5.0f);
        const auto k = DecodeLiveK(Fields("+OK:42C80000:41200000:00000007:00001234:~:"));
        QCOMPARE(k.RawSecondary, 10.0f);
        QCOMPARE(k.Value4Low, quint8(0x34));
        QCOMPARE(k.Value4High, quint8(0x12));
    }
};

QTEST_GUILESS_MAIN(TProtocolTest)
#include "tst_protocol.moc"
