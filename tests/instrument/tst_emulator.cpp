// The stand-in instrument answering whole sessions through the real transport.
#include "EmulatorFrameReader.h"
#include "Qel8624Emulator.h"
#include "Qel8624Protocol.h"
#include "RS232Comms.h"

#include <QTest>
#include <QThread>

#include <cmath>

using namespace Qel8624;
using Comms = TVuroRS232Comms;

class TEmulatorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TQel8624Emulator> m_Emulator;
    Comms m_Link;

    // One accepted exchange; its reply fields.
    QStringList Ask(const QStringList& tokens) {
        m_Link.AddTokens(tokens);
        const quint8 rc = m_Link.Exchange();
        if (rc != Comms::rcOK)
            qWarning("exchange %s gave %d", qPrintable(tokens.join(' ')), rc);
        return rc == Comms::rcOK ? m_Link.ReplyFields() : QStringList();
    }
    TestStatus Poll(TestStatus current = TestStatus::Idle) {
        const auto f = Ask(StatusRequest());
        return DecodeStatus(f, m_Link.ReceivedText(), current).Status;
    }

private Q_SLOTS:
    void init() {
        m_Emulator = std::make_unique<TQel8624Emulator>();
        m_Emulator->SetMeasuringTime(300);
        QVERIFY(m_Emulator->Start());
        QCOMPARE(m_Link.Open(m_Emulator->SlavePath()), quint8(Comms::rcOK));
    }
    void cleanup() {
        m_Link.Close();
        m_Emulator.reset();
    }

    void handshake() {
        QCOMPARE(ErrorNumber(Ask(ConnectRequest())), 0);
        const auto id = DecodeIdentification(Ask(IdentifyRequest()));
        QCOMPARE(id.Type, QStringLiteral("QEL 8624"));
        QCOMPARE(id.Firmware, QStringLiteral("2.05.12"));
        const auto cal = DecodeCalibration(Ask(CalibrationRequest()));
        QVERIFY(cal.LastCalibration.isValid() && cal.NextCalibration > cal.LastCalibration);
        QCOMPARE(ErrorNumber(Ask(CheckRequest())), 0);
        QCOMPARE(ErrorNumber(Ask(DisconnectRequest())), 0);

        TEmulatorIdentity other;
        other.Type = QStringLiteral("QEL 8625");
        other.SerialNumber = QStringLiteral("S/N:1~2"); // needs escaping both ways
        other.Firmware = QStringLiteral("3.0.0");
        m_Emulator->SetIdentity(other);
        const auto id2 = DecodeIdentification(Ask(IdentifyRequest()));
        QCOMPARE(id2.Type, QStringLiteral("QEL 8625"));
        QCOMPARE(id2.SerialNumber, QStringLiteral("S/N:1~2"));
        QCOMPARE(m_Emulator->InvalidFrames(), 0);
    }

    void testOverThreeTaps() {
        TTestSetupArgs s;
        s.VectorGroup = {conD, conYN, 11};
        s.TestVoltage = 100;
        s.TapA = 3;
        s.HvNominal = 110;
        s.LvNominal = 20;
        s.DutLocation = QStringLiteral("Bay 3: T/1");
        QCOMPARE(ErrorNumber(Ask(TestRunRequest())), 2305); // no setup yet
        for (const auto& frame : TestSetupRequests(s))
            QCOMPARE(ErrorNumber(Ask(frame)), 0);
        QCOMPARE(m_Emulator->CurrentSetup().DutLocation, s.DutLocation);
        QCOMPARE(m_Emulator->CurrentSetup().VectorGroup, s.VectorGroup);

        // Each tap measures until the test says it is done, whatever the time it takes here.
        m_Emulator->SetMeasuringTime(3600000);
        QCOMPARE(ErrorNumber(Ask(TestRunRequest())), 0);
        const auto status = DecodeStatus(Ask(StatusRequest()), m_Link.ReceivedText(), TestStatus::Idle);
        QCOMPARE(status.Status, TestStatus::Measuring);
        QCOMPARE(status.VectorGroup, s.VectorGroup);
        QCOMPARE(status.TestVoltage, 100);
        QCOMPARE(ErrorNumber(Ask(TestGetTapRequest(0))), 2311); // not measured yet

        const float ideal = 1.7320508f * 110 / 20;
        for (int tap = 0; tap < 3; ++tap) {
            QCOMPARE(Poll(TestStatus::Measuring), TestStatus::Measuring);
            m_Emulator->FinishTap();
            QCOMPARE(Poll(TestStatus::Measuring), tap < 2 ? TestStatus::TapWait : TestStatus::Idle);
            const auto r = DecodeTestTap(Ask(TestGetTapRequest(tap)));
            QCOMPARE(r.HvNominal, 110.0f);
            QCOMPARE(r.LvNominal, 20.0f);
            for (const auto& p : r.Phase) {
                QVERIFY2(std::abs(p.Ratio / ideal - 1) <= 0.005f, qPrintable(QString::number(p.Ratio)));
                QVERIFY(std::abs(p.PhaseDeviation) < 0.1f);
                QVERIFY(p.Current > 0);
            }
            if (tap < 2)
                QCOMPARE(ErrorNumber(Ask(TestContinueRequest())), 0);
        }
        QCOMPARE(ErrorNumber(Ask(TestContinueRequest())), 0x102); // nothing left to continue

        // Halt in the middle of a tap.
        QCOMPARE(ErrorNumber(Ask(TestRunRequest())), 0);
        QCOMPARE(Poll(), TestStatus::Measuring);
        QCOMPARE(ErrorNumber(Ask(TestHaltRequest())), 0);
        QCOMPARE(Poll(TestStatus::Measuring), TestStatus::Idle);

        // The log holds exactly what was sent, in order.
        const auto requests = m_Emulator->Requests();
        QCOMPARE(requests.at(1), QStringList({"T", "S", "V", "0000020B", "00000064"}));
        QCOMPARE(requests.at(3), QStringList({"T", "S", "N", "42DC0000", "41A00000"}));
        QCOMPARE(m_Emulator->Frames().at(5).Raw, QByteArray("+T:I:L:Bay 3/: T//1:~:"));
    }

    void perTapSetupLines() {
        TTestSetupArgs s;
        s.VectorGroup = {conY, conY, 0};
        s.TapA = 2;
        s.HvNominal = 20;
        s.LvNominal = 0.4f;
        for (const auto& frame : TestSetupRequests(s))
            Ask(frame);
        QCOMPARE(ErrorNumber(Ask(TestSetupTapRequest(0, 19.5f, 0.4f))), 0);
        QCOMPARE(ErrorNumber(Ask(TestSetupTapRequest(1, 20.5f, 0.4f))), 0);
        QCOMPARE(ErrorNumber(Ask(TestSetupTapRequest(2, 21.5f, 0.4f))), ErrEndOfList);
        QCOMPARE(m_Emulator->SetupTapLines().size(), 2);
        Ask(TestRunRequest());
        m_Emulator->FinishTap();
        QCOMPARE(DecodeTestTap(Ask(TestGetTapRequest(0))).HvNominal, 19.5f);
    }

    void memory() {
        const auto dir = Ask(MemGetDirRequest());
        QCOMPARE(dir.at(1).size(), MemorySlots);
        const auto slots = DecodeMemoryDirectory(dir.at(1));
        QCOMPARE(slots[0], quint8(slotMeasurement));
        QCOMPARE(slots[1], quint8(slotMeasurement));
        QCOMPARE(slots[3], quint8(slotSetup));
        QCOMPARE(slots[2], quint8(slotEmpty));

        // A whole stored test the way the upload reads it.
        const auto setup = DecodeStoredSetup(Ask(MemReadSetupRequest(1)));
        QCOMPARE(setup.VectorGroup, (TVectorGroup{conD, conYN, 11}));
        QCOMPARE(setup.TotalTaps, 5);
        const auto info = DecodeInfo(Ask(MemReadInfoRequest(1)));
        QCOMPARE(info.DutLocation, QStringLiteral("Substation North"));
        QVERIFY(info.TestDate.isValid());
        int taps = 0;
        for (;; ++taps) {
            const auto f = Ask(MemReadTapRequest(1, taps));
            if (!IsAccepted(f)) {
                QCOMPARE(ErrorNumber(f), ErrEndOfList);
                break;
            }
            const auto t = DecodeStoredTap(f);
            QVERIFY(std::abs(t.Phase[0].Ratio / (1.7320508f * t.HvNominal / t.LvNominal) - 1) < 0.005f);
        }
        QCOMPARE(taps, setup.StoredResults);
        QVERIFY(DecodeStoredTap(Ask(MemReadTapRequest(2, 1))).Flagged);
        QCOMPARE(ErrorNumber(Ask(MemReadSetupRequest(3))), 0x908);         // empty slot
        QCOMPARE(ErrorNumber(Ask(MemReadTapRequest(4, 0))), ErrEndOfList); // a setup has no taps

        QCOMPARE(ErrorNumber(Ask(MemDeleteRequest(2))), 0);
        QCOMPARE(DecodeMemoryDirectory(Ask(MemGetDirRequest()).at(1))[1], quint8(slotEmpty));

        m_Emulator->SetStoredTests({});
        QCOMPARE(Ask(MemGetDirRequest()).at(1), QString(100, QLatin1Char(' ')));
    }

    void phaseShiftSamples() {
        // The detector's phase function of the two voltage ratios gives the configured shift.
        m_Emulator->SetPhaseShift(30);
        m_Emulator->SetLiveTurnsRatio(8);
        const auto ratioFor = [&](int selection) {
            Ask(ApmSelectRequest(selection, 100));
            const auto p = DecodeLiveP(Ask(LivePRequest()));
            DecodeLiveQ(Ask(LiveQRequest()));
            DecodeLiveK(Ask(LiveKRequest()));
            return double(p.Primary) / double(p.Secondary);
        };
        QCOMPARE(ErrorNumber(Ask(ApmVoltageRequest(0))), 0);
        QCOMPARE(ErrorNumber(Ask(ApmOutputRequest(true))), 0);
        QVERIFY(m_Emulator->OutputOn());
        const double k1 = ratioFor(49), k2 = ratioFor(48);
        const double phase = std::atan(std::sqrt(3.0) * (k2 - k1) / (k2 + k1)) * 180 / std::acos(-1.0);
        const double turns = k1 * k2 / std::sqrt(k1 * k1 + k2 * k2 - k1 * k2);
        QVERIFY2(std::abs(phase - 30) < 0.01, qPrintable(QString::number(phase)));
        QVERIFY2(std::abs(turns - 8) < 0.001, qPrintable(QString::number(turns)));

        const auto p = DecodeLiveP(Ask(LivePRequest()));
        QCOMPARE(p.StatusByte, quint8(0x80)); // reading valid
        QCOMPARE(p.Condition, 0xC000);        // stop not pressed, cables plugged
        QThread::msleep(200);
        QVERIFY(DecodeLiveP(Ask(LivePRequest())).Counter != p.Counter); // the counter runs

        // The four-field selection is known from firmware 3.0.0 on.
        QCOMPARE(ErrorNumber(Ask(ApmSelectExtRequest(54, 100, 9))), 0x101);
        TEmulatorIdentity newer;
        newer.Firmware = QStringLiteral("3.0.0");
        m_Emulator->SetIdentity(newer);
        QCOMPARE(ErrorNumber(Ask(ApmSelectExtRequest(54, 100, 9))), 0);
    }

    void perPhaseConnections_data() {
        QTest::addColumn<QList<int>>("selections"); // the connections of one phase, in order
        QTest::addColumn<int>("phase");
        QTest::addColumn<bool>("autoTransformer");
        QTest::newRow("transformer A") << QList<int>{49, 48} << 0 << false;
        QTest::newRow("transformer B") << QList<int>{65, 66} << 1 << false;
        QTest::newRow("transformer C") << QList<int>{80, 82} << 2 << false;
        QTest::newRow("auto A") << QList<int>{54, 55, 54, 56} << 0 << true;
        QTest::newRow("auto B") << QList<int>{71, 72, 71, 70} << 1 << true;
        QTest::newRow("auto C") << QList<int>{88, 86, 88, 87} << 2 << true;
    }
    void perPhaseConnections() {
        // Each phase has a ratio and shift of its own; the detector's formulas give them back
        // from that phase's connections, and the primary is the selected test voltage.
        QFETCH(QList<int>, selections);
        QFETCH(int, phase);
        QFETCH(bool, autoTransformer);
        TEmulatorLiveModel model;
        model.TurnsRatio = {8, 11, 13.5};
        model.PhaseShift = {37.5, -20, 5};
        model.TestVoltages = {250, 100, 25, 2};
        m_Emulator->SetLiveModel(model);
        QCOMPARE(ErrorNumber(Ask(ApmVoltageRequest(16))), 0); // the second voltage
        QCOMPARE(ErrorNumber(Ask(ApmOutputRequest(true))), 0);
        QList<double> v1, v2;
        for (int sel : selections) {
            Ask(ApmSelectRequest(sel, 0));
            const auto p = DecodeLiveP(Ask(LivePRequest()));
            v1 << p.Primary;
            v2 << p.Secondary;
            QCOMPARE(DecodeLiveK(Ask(LiveKRequest())).RawPrimary, p.Primary);
        }
        QCOMPARE(v1.at(0), 100.0);
        double k1 = v1[0] / v2[0], k2 = v1[1] / v2[1];
        if (autoTransformer) {
            const double l = v1[0];
            k1 = l / (v2[0] - v2[1] * l / v1[1]);
            k2 = l / (v2[2] * l / v1[2] - v2[3] * l / v1[3]);
        }
        const double shift = std::atan(std::sqrt(3.0) * (k2 - k1) / (k2 + k1)) * 180 / std::acos(-1.0);
        const double turns = k1 * k2 / std::sqrt(k1 * k1 + k2 * k2 - k1 * k2);
        QVERIFY2(std::abs(shift - model.PhaseShift[phase]) < 0.001, qPrintable(QString::number(shift)));
        QVERIFY2(std::abs(turns / model.TurnsRatio[phase] - 1) < 1e-5, qPrintable(QString::number(turns)));
    }

    void liveFaultsAndSettling() {
        // A counter rate so low that nothing moves while the test looks: the transient holds.
        TEmulatorLiveModel model;
        model.CounterRate = 1e-6;
        model.CounterStart = 250;
        model.SettlingCounts = 1;
        model.SettlingInvalid = true;
        m_Emulator->SetLiveModel(model);
        auto sample = [&] { return DecodeLiveP(Ask(LivePRequest())); };
        QCOMPARE(sample().StatusByte, quint8(0)); // output off: no valid reading
        Ask(ApmVoltageRequest(0));
        Ask(ApmOutputRequest(true));
        Ask(ApmSelectRequest(49, 0));
        auto p = sample();
        QCOMPARE(p.Counter, quint8(250));
        QCOMPARE(p.StatusByte, quint8(0)); // settling: invalid, the old (output-off) reading held
        QCOMPARE(p.Primary, 250.0f);       // the selection was made with the output on
        model.SettlingCounts = 0;
        m_Emulator->SetLiveModel(model);
        p = sample();
        QCOMPARE(p.StatusByte, quint8(0x80));
        QVERIFY(std::abs(p.Primary / p.Secondary - 10) < 1e-4);

        struct TCase {
            void (*Apply)(TEmulatorLiveModel&);
            quint8 Status;
            qint32 Condition;
            bool Secondary, Output;
        };
        const TCase cases[] = {
            {[](TEmulatorLiveModel& m) { m.CablesUnplugged = true; }, 0x80, 0x8000, true, true},
            {[](TEmulatorLiveModel& m) { m.OutputFail = true; }, 0xC0, 0xC000, false, true},
            {[](TEmulatorLiveModel& m) { m.ZeroSecondary = true; }, 0x80, 0xC000, false, true},
            {[](TEmulatorLiveModel& m) { m.EmergencyStop = true; }, 0x00, 0x4000, false, false},
        };
        for (const TCase& c : cases) {
            TEmulatorLiveModel m = model;
            c.Apply(m);
            m_Emulator->SetLiveModel(m);
            Ask(ApmOutputRequest(true)); // the emergency stop keeps it off
            p = sample();
            QCOMPARE(p.StatusByte, c.Status);
            QCOMPARE(p.Condition, c.Condition);
            QCOMPARE(p.Secondary > 0, c.Secondary);
            QCOMPARE(m_Emulator->OutputOn(), c.Output);
        }
        model.ValidWhileOff = true;
        model.CounterStuck = true;
        m_Emulator->SetLiveModel(model);
        QCOMPARE(sample().StatusByte, quint8(0x80)); // output still off, valid all the same
        Ask(ApmOutputRequest(true));
        model.CounterRate = 1e6;
        m_Emulator->SetLiveModel(model);
        QCOMPARE(sample().Counter, quint8(250)); // stuck, however fast it would run
    }

    void refusedRequestsChangeNothing() {
        // A request the instrument refuses is not carried out: the slot stays, the nominal
        // voltages of a refused T S N are not taken, so the run is refused for want of a setup.
        m_Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("M F"), 0x901});
        QCOMPARE(ErrorNumber(Ask(MemDeleteRequest(1))), 0x901);
        QCOMPARE(DecodeMemoryDirectory(Ask(MemGetDirRequest()).at(1))[0], quint8(slotMeasurement));

        TTestSetupArgs s;
        s.VectorGroup = {conD, conYN, 11};
        s.HvNominal = 110;
        s.LvNominal = 20;
        s.TapA = 1;
        m_Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("T S N"), 0x901});
        const auto frames = TestSetupRequests(s);
        QCOMPARE(ErrorNumber(Ask(frames.at(0))), 0);
        QCOMPARE(ErrorNumber(Ask(frames.at(1))), 0);
        QCOMPARE(ErrorNumber(Ask(frames.at(2))), 0x901);
        QCOMPARE(m_Emulator->CurrentSetup().HvNominal, 0.0f);
        QCOMPARE(ErrorNumber(Ask(TestRunRequest())), 0x901);
        QCOMPARE(m_Emulator->Status(), TestStatus::Idle);
        // Accepted the next time, the setup is complete and the run starts.
        QCOMPARE(ErrorNumber(Ask(frames.at(2))), 0);
        QCOMPARE(ErrorNumber(Ask(TestRunRequest())), 0);
        QCOMPARE(m_Emulator->Status(), TestStatus::Measuring);
        QCOMPARE(m_Emulator->InvalidFrames(), 0);
    }

    void strictFrameChecks() {
        QCOMPARE(ErrorNumber(Ask({"T", "S", "V", "20B", "00000064"})), 0x100); // short integer
        QCOMPARE(ErrorNumber(Ask({"T", "S", "N", "042DC0000", "0"})), 0x100);  // padded float
        QCOMPARE(ErrorNumber(Ask({"M", "G", "00000001"})), 0x100);             // extra argument
        QCOMPARE(ErrorNumber(Ask({"X", "Y"})), 0x101);                         // unknown request
        QCOMPARE(m_Emulator->InvalidFrames(), 4);
        for (const auto& f : m_Emulator->Frames())
            QVERIFY(!f.Problem.isEmpty());
        QVERIFY(m_Emulator->WaitForFrames(4, 0));
        QVERIFY(!m_Emulator->WaitForFrames(5, 50));
    }

    void frameReader() {
        // Byte streams the transport never produces, cut into frames and judged.
        TEmulatorFrameReader reader;
        auto frames = reader.Feed("+C:O:~:+T:I:S:a/:b//c/~:~:+M:");
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames.at(1).Tokens, QStringList({"T", "I", "S", "a:b/c~"}));
        QVERIFY(frames.at(1).Problem.isEmpty());
        QCOMPARE(reader.Pending(), QByteArray("+M:"));
        QCOMPARE(reader.Feed("G:~:").at(0).Tokens, QStringList({"M", "G"}));

        const std::pair<QByteArray, QString> bad[] = {
            {"+T:I:S:a/xb:~:", "escape"},
            {"+T:I:S:a~b:~:", "unescaped"},
            {"+T:I:S:a\x01b:~:", "control"},
            {"noise\n", "outside"},
        };
        for (const auto& [bytes, problem] : bad) {
            const auto f = reader.Feed(bytes);
            QCOMPARE(f.size(), 1);
            QVERIFY2(f.at(0).Problem.contains(problem), qPrintable(f.at(0).Problem));
        }
        // Stray bytes right before a frame do not swallow it.
        frames = reader.Feed("xx+C:M:~:");
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames.at(1).Tokens, QStringList({"C", "M"}));
        // An endless frame is cut off instead of growing without bound.
        frames = reader.Feed("+" + QByteArray(TEmulatorFrameReader::MaxFrameLength + 10, 'A'));
        QCOMPARE(frames.size(), 1);
        QVERIFY(frames.at(0).Problem.contains("longer"));
    }
};

QTEST_GUILESS_MAIN(TEmulatorTest)
#include "tst_emulator.moc"
