// Queued requests of the instrument thread against the emulator on a pseudo-terminal: the frames
// each command sends, what it reports, the record buffer and the request guard.
#include "tst_devicewatch.h"

#include "RS232Comms.h"
#include "RecordingOperator.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace Qel8624;

namespace {

// A Dyn test of 110 kV / 20 kV as the measurement page sends it for `taps` remaining taps.
TMemoryData PageSetup(int taps) {
    TMemoryData r;
    r.Setup.HVConnection = conD;
    r.Setup.LVConnection = conYN;
    r.Setup.ClockNumber = 11;
    r.Setup.TestVoltage = 100.7f;
    r.Setup.HVNominal = 110;
    r.Setup.LVNominal = 20;
    r.Setup.TapA = taps;
    r.Setup.TapStep = 1.0f;
    return r;
}

// Slot 3: twelve taps of a Dyn test; phase A 0.1 % high, B exact, C 0.2 % low. Tap 5 is flagged
// by the instrument, tap 7 lacks its LV nominal voltage.
TEmulatorStoredTest TwelveTaps() {
    TEmulatorStoredTest t;
    t.Slot = 3;
    t.Setup = {{conD, conYN, 11}, 100, 110, 20, 12, 1, 6, 0, 12};
    t.Info = {QStringLiteral("T-12"),
              QStringLiteral("Yard: 3/4"),
              QStringLiteral("ONAN"),
              QStringLiteral("K. Lee"),
              0.25f,
              QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6))};
    for (int i = 0; i < 12; ++i) {
        TTapReply tap;
        tap.HvNominal = 110 + 2.5f * float(i - 5);
        tap.LvNominal = i == 7 ? 0 : 20;
        const float ideal = 1.7320508f * tap.HvNominal / 20;
        const float error[3] = {1.001f, 1.0f, 0.998f};
        for (int p = 0; p < 3; ++p)
            tap.Phase[p] = {ideal * error[p], 2.0f + float(p), 0.01f * float(i)};
        tap.Flagged = i == 5;
        t.Taps << tap;
    }
    return t;
}

} // namespace

class TDeviceCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void testSetupStopsAtRefusedFrame();
    void testSetupSendsTapLinesUntilEndOfList();
    void storedTestOfTwelveTaps();
    void memoryDirectoryAndInfo();
    void testRunSwitchesPollToStatusQuery();
    void apmRequestsByFirmware();
    void liveSamplesAfterEachPoll();
    void transportFailureInsideCommand();
    void guardRefusesWhileBusy();
    void guardQueuesBehindRunningCommand();
    void guardReplacesPendingAfterTimeLimit();

private:
    std::unique_ptr<TQel8624Emulator> Emulator;
    std::unique_ptr<TRecordingOperator> Op;
    std::unique_ptr<TQel8624> Device;
    std::unique_ptr<TDeviceWatch> Watch;

    bool ConnectAndClear() {
        if (!ConnectDevice(*Device, *Emulator, *Watch))
            return false;
        Watch->Events.clear();
        Emulator->ClearLog();
        return true;
    }
    bool WaitForCompletions(int n, int ms = 10000) {
        return QTest::qWaitFor([&] { return Watch->Events.filter(QStringLiteral("completion")).size() >= n; },
                               ms);
    }
};

void TDeviceCommandsTest::init() {
    Emulator = std::make_unique<TQel8624Emulator>();
    QVERIFY2(Emulator->Start(), qPrintable(Emulator->ErrorText()));
    Op = std::make_unique<TRecordingOperator>();
    Device = std::make_unique<TQel8624>(Op.get());
    // A lost reply is noticed in a fraction of the real 3 s / 6 s.
    Device->SetTransportDeadlines({800, 1600, 800});
    Watch = std::make_unique<TDeviceWatch>(*Device);
}

void TDeviceCommandsTest::cleanup() {
    Device.reset();
    Watch.reset();
    Op.reset();
    Emulator.reset();
}

void TDeviceCommandsTest::testSetupStopsAtRefusedFrame() {
    QVERIFY(ConnectAndClear());
    Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("T S N"), 0x901});
    QVERIFY(Device->RequestTestSetup(PageSetup(3), false));
    QVERIFY(WaitForCompletions(1));
    QVERIFY(QTest::qWaitFor([&] { return Watch->Changes().size() >= 3; }, 2000));
    QCOMPARE(Watch->Changes(), QStringList({"state Busy...", "completion 11 2305", "state Idle"}));
    QCOMPARE(Device->ErrorNumber(), 2305);
    QCOMPARE(SentRequests(*Emulator),
             QStringList({"T S V 0000020B 00000064", "T S T 00000003 00000000 00000000 0",
                          "T S N 42DC0000 41A00000"}));
}

void TDeviceCommandsTest::testSetupSendsTapLinesUntilEndOfList() {
    QVERIFY(ConnectAndClear());
    TMemoryData r = PageSetup(4);
    r.Setup.TapStep = 0; // taps listed one by one
    r.Setup.DUTSerialNumber = QStringLiteral("S/N:1~2");
    r.Setup.MaxDeviation = 0.5f;
    for (int i = 0; i < QelMaxTaps; ++i)
        r.Taps[i] = {110.0f + float(i), 20.0f};
    QVERIFY(Device->RequestTestSetup(r, false));
    QVERIFY(WaitForCompletions(1));
    // The instrument takes four lines and refuses the fifth with 2311: the normal end.
    QCOMPARE(Watch->Events.filter(QStringLiteral("completion")), QStringList({"completion 11 0"}));
    QCOMPARE(Emulator->CurrentSetup().DutSerialNumber, r.Setup.DUTSerialNumber);
    QCOMPARE(Emulator->CurrentSetup().MaxDeviation, 0.5f);
    const QList<QList<float>> lines = Emulator->SetupTapLines();
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[3], QList<float>({3.0f, 113.0f, 20.0f}));
    const QStringList sent = SentRequests(*Emulator);
    QCOMPARE(sent.size(), 8 + 5);
    QCOMPARE(sent.filter(QRegularExpression(QStringLiteral("^T S I "))).size(), 5);
    // The record buffer holds the setup (taps included) for the deviations of live results.
    QCOMPARE(Device->RecordBuffer().Setup.HVConnection, qint32(conD));
    QCOMPARE(Device->RecordBuffer().Taps[2].HVNominal, 112.0f);
}

void TDeviceCommandsTest::storedTestOfTwelveTaps() {
    const TEmulatorStoredTest stored = TwelveTaps();
    Emulator->SetStoredTests({stored});
    QVERIFY(ConnectAndClear());
    TMemoryData record;
    Device->SetOnCompletion([&](const TCompletion& c) {
        Watch->Record(c);
        record = c.Record ? *c.Record : TMemoryData(); // the whole test travels with the completion
    });
    QVERIFY(Device->RequestMemGetRecord(3, true));
    QVERIFY(WaitForCompletions(1, 20000));
    QCOMPARE(Watch->Events.filter(QStringLiteral("completion")), QStringList({"completion 9 0"}));

    QStringList expected = {"M R S 00000003", "M R I 00000003"};
    for (int n = 0; n <= 12; ++n)
        expected << QStringLiteral("M R T 00000003 ") + TVuroRS232Comms::IntToken(n);
    QCOMPARE(SentRequests(*Emulator), expected);
    QTest::qWait(50);
    QCOMPARE(Op->Beeps, 1); // after the tenth tap

    const TTestSetup& h = record.Setup;
    QCOMPARE(h.HVConnection, qint32(conD));
    QCOMPARE(h.LVConnection, qint32(conYN));
    QCOMPARE(h.ClockNumber, 11);
    QCOMPARE(h.TestVoltage, 100.0f);
    QCOMPARE(h.TapA, 12);
    QCOMPARE(h.TapC, 6);
    QCOMPARE(h.TapResults, 12);
    QCOMPARE(h.DUTLocation, QStringLiteral("Yard: 3/4"));
    QCOMPARE(h.MaxDeviation, 0.25f);
    QCOMPARE(h.TestDate, stored.Info.TestDate);
    for (int i = 0; i < 12; ++i) {
        const TTapResult& t = record.Taps[i];
        QCOMPARE(t.HVNominal, stored.Taps[i].HvNominal);
        QCOMPARE(t.Current[2], 4.0f);
        QCOMPARE(t.Flag, i == 5 || i == 7);
        if (i == 7) {
            QCOMPARE(t.RatioDeviation, (std::array<float, 3>{0, 0, 0}));
            continue;
        }
        QVERIFY2(std::fabs(t.RatioDeviation[0] - 0.1f) < 1e-3f,
                 qPrintable(QString::number(t.RatioDeviation[0])));
        QVERIFY(std::fabs(t.RatioDeviation[1]) < 1e-3f);
        QVERIFY(std::fabs(t.RatioDeviation[2] + 0.2f) < 1e-3f);
    }
    QCOMPARE(record.Taps[12], TTapResult());

    // A refusal of the header is an error, not the end of a list; the buffer is cleared.
    Watch->Events.clear();
    QVERIFY(Device->RequestMemGetRecord(9, true)); // empty slot: 2312
    QVERIFY(WaitForCompletions(1));
    QCOMPARE(Watch->Events.filter(QStringLiteral("completion")), QStringList({"completion 9 2312"}));
    QCOMPARE(record, TMemoryData());
}

void TDeviceCommandsTest::memoryDirectoryAndInfo() {
    QVERIFY(ConnectAndClear()); // the default memory: slots 1, 2 measurements, 4 a setup
    std::array<quint8, MemorySlots> dir{};
    TTestInfo info;
    bool infoRead = false;
    Device->SetOnCompletion([&](const TCompletion& c) {
        Watch->Record(c);
        if (c.Type == CommandType::MEMGETDIR) {
            dir = c.Directory;
            QVERIFY(Device->RequestMemGetInfo(2, true)); // queued from inside the callback
        } else if (c.Type == CommandType::MEMGETINFO) {
            infoRead = c.Accepted();
            info = c.Info;
        }
    });
    QVERIFY(Device->RequestMemGetDir(false));
    QVERIFY(WaitForCompletions(2));
    QCOMPARE(Watch->Events.filter(QStringLiteral("completion")),
             QStringList({"completion 3 0", "completion 10 0"}));
    QCOMPARE(dir[0], quint8(slotMeasurement));
    QCOMPARE(dir[1], quint8(slotMeasurement));
    QCOMPARE(dir[2], quint8(slotEmpty));
    QCOMPARE(dir[3], quint8(slotSetup));
    QVERIFY(infoRead);
    QCOMPARE(info.DUTSerialNumber, QStringLiteral("GT-2"));
    QCOMPARE(info.DUTLocation, QStringLiteral("Power Plant / Block 2"));
    QCOMPARE(info.TestDate, QDateTime(QDate(2026, 5, 2), QTime(7, 45, 30)));
    QCOMPARE(info.Slot, 2);

    // An info reply whose deviation does not read is no entry: the completion says so.
    Watch->Events.clear();
    Emulator->AddFault({TEmulatorFault::Malformed, QStringLiteral("M R I")});
    QVERIFY(Device->RequestMemGetInfo(1, true));
    QVERIFY(
        QTest::qWaitFor([&] { return Watch->Events.filter(QStringLiteral("failed")).size() == 1; }, 10000));
    QCOMPARE(Watch->Events.filter(QStringLiteral("failed")), QStringList({"failed 10 unreadable"}));
    QCOMPARE(Watch->Completions.last().ErrorNumber, -1);
    QTRY_COMPARE(Op->Beeps, 1);
}

void TDeviceCommandsTest::testRunSwitchesPollToStatusQuery() {
    Emulator->SetMeasuringTime(1200);
    QVERIFY(ConnectAndClear());
    QVERIFY(!Device->StatusQueryMode());
    QVERIFY(Device->RequestTestSetup(PageSetup(1), true));
    QVERIFY(Device->RequestTestRun(true));
    QVERIFY(WaitForCompletions(2));
    QVERIFY(Device->StatusQueryMode());
    // Measuring, then the tap is done and the status query reports it.
    QVERIFY(QTest::qWaitFor([&] { return Watch->Events.contains(QStringLiteral("status 4")); }, 3000));
    QVERIFY(QTest::qWaitFor([&] { return Device->Status() != TestStatus::Measuring; }, 3000));
    QCOMPARE(Device->ReportedVectorGroup(), (TVectorGroup{conD, conYN, 11}));
    const QStringList polls =
        SentRequests(*Emulator, true).filter(QRegularExpression(QStringLiteral("^(C M|T M Q)$")));
    QVERIFY(polls.size() >= 2);
    QCOMPARE(polls.last(), QStringLiteral("T M Q"));

    TTapResult tap;
    bool tapRead = false;
    Device->SetOnCompletion([&](const TCompletion& c) {
        if (c.Type == CommandType::TESTGETTAP) {
            tapRead = c.Accepted();
            tap = c.Tap;
        }
    });
    QVERIFY(Device->RequestTestGetTap(0, true));
    QVERIFY(QTest::qWaitFor([&] { return tapRead; }, 5000));
    QCOMPARE(tap.HVNominal, 110.0f);
    QCOMPARE(tap.LVNominal, 20.0f);
    QVERIFY(tap.Ratio[0] > 9 && tap.Ratio[0] < 10);
    Device->ComputeDeviations(tap); // against the D / YN setup in the record buffer
    QVERIFY2(std::fabs(tap.RatioDeviation[0]) < 1.0f, qPrintable(QString::number(tap.RatioDeviation[0])));
}

void TDeviceCommandsTest::apmRequestsByFirmware() {
    TEmulatorIdentity id = Emulator->Identity();
    id.Firmware = QStringLiteral("3.0.0");
    Emulator->SetIdentity(id);
    QVERIFY(ConnectAndClear());
    const TApmSelection selection{16, 49, 40.9f, 9};
    QVERIFY(Device->RequestApmSelect(selection, true));
    Device->SetNewFirmware(FirmwareVersionNumber(Device->FirmwareVersion()) >= ExtendedSelectFirmware);
    QVERIFY(Device->RequestApmSelect(selection, true));
    QVERIFY(Device->RequestApmOutput(true, true));
    const TApmSelection reset{0, 102, 0, 0};
    QVERIFY(Device->RequestApmSelect(reset, true, true));
    QVERIFY(WaitForCompletions(4));
    QCOMPARE(Watch->Events.filter(QStringLiteral("completion")),
             QStringList({"completion 28 0", "completion 39 0", "completion 27 0", "completion 28 0"}));
    QCOMPARE(SentRequests(*Emulator), QStringList({"S G 00000010", "S C 00000031 00000028", "S G 00000010",
                                                   "S H 00000031 00000028 00000009", "S O 00000001",
                                                   "S G 00000000", "S C 00000066 00000000"}));
    QCOMPARE(Device->ApmSelection(), reset);
    QVERIFY(Emulator->OutputOn());
}

void TDeviceCommandsTest::liveSamplesAfterEachPoll() {
    Emulator->SetLiveTurnsRatio(12.5);
    QVERIFY(ConnectAndClear());
    QVERIFY(Device->RequestApmOutput(true, true));
    Device->SetLiveSampling(true);
    QVERIFY(QTest::qWaitFor([&] { return Watch->LiveCount >= 2; }, 5000));
    QStringList sent = SentRequests(*Emulator, true);
    qsizetype at = sent.indexOf(QStringLiteral("S P"));
    QVERIFY(at >= 1);
    QCOMPARE(sent.mid(at - 1, 4), QStringList({"C M", "S P", "S Q", "S K"}));
    QVERIFY(std::fabs(Watch->LastA.Ratio - 12.5f) < 1e-3f);
    QCOMPARE(Watch->LastA.ConditionWord, 0xC000);
    QCOMPARE(Watch->LastA.StatusByte, quint8(0x80));
    QCOMPARE(Watch->LastA.GainCode, 1);
    QCOMPARE(Watch->LastB.RawPrimaryVoltage, 100.0f);

    // A refused sample hands nothing over.
    Device->SetLiveSampling(false);
    QTest::qWait(700);
    const int count = Watch->LiveCount;
    Emulator->ClearLog();
    Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("S Q"), 0x100, 1});
    Device->SetLiveSampling(true);
    QVERIFY(QTest::qWaitFor([&] { return Watch->LiveCount > count; }, 5000));
    // The refused S Q ended that pass (no S K, nothing handed over); the next poll gave samples.
    sent = SentRequests(*Emulator, true);
    at = sent.indexOf(QStringLiteral("S Q"));
    QVERIFY(at >= 0);
    QCOMPARE(sent.value(at + 1), QStringLiteral("C M"));
    QCOMPARE(Watch->LiveCount, count + 1);
    QCOMPARE(Device->State(), LinkState::Idle);
}

void TDeviceCommandsTest::transportFailureInsideCommand() {
    QVERIFY(ConnectAndClear());
    Emulator->AddFault({TEmulatorFault::Silent, QStringLiteral("M R I"), 0, 1});
    QVERIFY(Device->RequestMemGetRecord(1, false));
    QVERIFY(QTest::qWaitFor([&] { return Watch->Changes().size() >= 4; }, 10000));
    // No result after a transport failure, but the completion says it failed; the reply was
    // lost, which the operator hears.
    QCOMPARE(Watch->Changes(),
             QStringList({"state Busy...", "state ComError", "failed 9 lost", "state Idle"}));
    QCOMPARE(SentRequests(*Emulator).mid(0, 2), QStringList({"M R S 00000001", "M R I 00000001"}));
    QTRY_COMPARE(Op->Beeps, 1);
    QVERIFY(!Device->Answering());
    // The link goes on.
    QVERIFY(Device->RequestMemGetInfo(1, true));
    QVERIFY(WaitForCompletions(1));
}

void TDeviceCommandsTest::guardRefusesWhileBusy() {
    QVERIFY(ConnectAndClear());
    QList<bool> answers;
    Device->SetOnStateChange([&](LinkState s) {
        Watch->Events << QStringLiteral("state ") + LinkStateText(s);
        if (s == LinkState::Busy)
            answers << Device->RequestTestHalt(false) << Device->IsReady();
    });
    QVERIFY(Device->RequestMemGetDir(false));
    QVERIFY(!Device->RequestMemGetInfo(1, false)); // one is pending already
    QCOMPARE(Device->Command(), CommandType::MEMGETDIR);
    QVERIFY(WaitForCompletions(1));
    QCOMPARE(answers, QList<bool>({false, false}));
    QTest::qWait(300);
    QCOMPARE(SentRequests(*Emulator), QStringList({"M G"}));
}

void TDeviceCommandsTest::guardQueuesBehindRunningCommand() {
    QVERIFY(ConnectAndClear());
    // The directory reply is held back until the test lets it go.
    Device->SetTransportDeadlines({60000, 60000, 60000});
    Emulator->AddFault({TEmulatorFault::Held, QStringLiteral("M G")});
    QVERIFY(Device->RequestMemGetDir(false));
    QVERIFY(Device->RequestMemDelete(7, true)); // waits only until M G has been taken up
    QVERIFY(Emulator->WaitForFrames(1, 10000));
    QVERIFY(Watch->Events.filter(QStringLiteral("completion")).isEmpty()); // M G still running
    Emulator->ReleaseHeld();
    QVERIFY(Device->RequestTestHalt(true)); // waits for the delete to be taken up
    QVERIFY(WaitForCompletions(3));
    QCOMPARE(Watch->Events.filter(QStringLiteral("completion")),
             QStringList({"completion 3 0", "completion 4 0", "completion 13 0"}));
    QCOMPARE(SentRequests(*Emulator), QStringList({"M G", "M F 00000007", "T M H"}));
    QCOMPARE(Emulator->InvalidFrames(), 0);
    // Each completion carried its own reply, though later commands ran before it was read.
    QCOMPARE(Watch->Completions.first().Directory[0], quint8(slotMeasurement));
}

void TDeviceCommandsTest::guardReplacesPendingAfterTimeLimit() {
    // Not connected: the link never becomes ready, the first request stays pending.
    QVERIFY(Device->RequestTestHalt(false) == false);
    QVERIFY(!Device->IsReady());
    Device->SetGuardTimeOutMs(600);
    bool eventsFlowed = false;
    QTimer::singleShot(100, [&] { eventsFlowed = true; });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(Device->RequestTestContinue(true));
    QVERIFY2(clock.elapsed() >= 600, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(eventsFlowed);
    QCOMPARE(Device->Command(), CommandType::TESTCONTINUE);
    QVERIFY(!Device->RequestTestHalt(false)); // pending now
}

QTEST_GUILESS_MAIN(TDeviceCommandsTest)
#include "tst_devicecommands.moc"
