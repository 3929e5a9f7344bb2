// The phase shift detector over the emulator: the transformer and auto-transformer sequences,
// the results per phase, the debug log, the simulation, and the arithmetic on its own.
#include <QFile>
#include <QTest>

#include <cmath>
#include <limits>

#include "ArbPhaseMath.h"
#include "ArbitraryRig.h"
#include "CSVForm.h"
#include "Qel8624Device.h"

using Phases = std::array<double, 3>;
Q_DECLARE_METATYPE(Phases)

namespace {
const double Root3 = std::sqrt(3.0);

// Every phase of the stored result against the emulator's windings: turns ratio c * n (c the
// vector-group correction, over the turns divisor), voltage ratio that times the volt factor.
void CheckResult(const TArbitraryResult& r, const Phases& ratios, const Phases& shifts, double turnsFactor,
                 double voltFactor) {
    for (size_t p = 0; p < 3; ++p) {
        QVERIFY2(std::abs(r.PhaseShift[p] - shifts[p]) < 0.01,
                 qPrintable(QStringLiteral("phase %1: %2").arg(p).arg(r.PhaseShift[p])));
        const double turns = ratios[p] * turnsFactor;
        QVERIFY2(std::abs(r.TurnsRatio[p] / turns - 1) < 1e-4,
                 qPrintable(QStringLiteral("phase %1: %2 for %3").arg(p).arg(r.TurnsRatio[p]).arg(turns)));
        QVERIFY(std::abs(r.VoltageRatio[p] / (turns * voltFactor) - 1) < 1e-4);
    }
}

// The detection ended as every detection must: output off, then the test voltage selection,
// live sampling off, the live handler given back.
void CheckSwitchedOff(TArbitraryRig& rig) {
    QVERIFY(!rig.Emulator->OutputOn());
    QVERIFY(!rig.Global->Qel().LiveSampling());
    QStringList sent = rig.Sent();
    const qsizetype off = sent.lastIndexOf(QStringLiteral("S O 00000000"));
    QVERIFY(off >= 0);
    QCOMPARE(sent.mid(off + 1, 2), QStringList({"S G 00000000", "S C 00000066 00000000"}));
    QVERIFY(!sent.mid(off).contains(QStringLiteral("S O 00000001")));
}
} // namespace

class TstArbitrary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void transformer_data() {
        QTest::addColumn<int>("hv");
        QTest::addColumn<int>("lv");
        QTest::addColumn<Phases>("ratios");
        QTest::addColumn<Phases>("shifts");
        QTest::addColumn<double>("turnsFactor");
        QTest::addColumn<double>("voltFactor");
        QTest::addColumn<int>("variant"); // 0 plain, 1 transient, 2 counter from 250, 3 valid while off
        const Phases same{8, 8, 8};
        QTest::newRow("YY +37.5") << 1 << 1 << same << Phases{37.5, 37.5, 37.5} << 1.0 << 1.0 << 0;
        QTest::newRow("DYN -37.5") << 0 << 2 << same << Phases{-37.5, -37.5, -37.5} << Root3 << 1 / Root3
                                   << 0;
        QTest::newRow("per phase") << 1 << 1 << Phases{8, 9.5, 12} << Phases{37.5, 20, 5} << 1.0 << 1.0 << 0;
        QTest::newRow("old readings held after each selection")
            << 1 << 1 << Phases{8, 9.5, 12} << Phases{37.5, 20, 5} << 1.0 << 1.0 << 1;
        QTest::newRow("counter wraps") << 1 << 1 << same << Phases{-12, -12, -12} << 1.0 << 1.0 << 2;
        QTest::newRow("valid bit also with the output off")
            << 1 << 1 << same << Phases{37.5, 37.5, 37.5} << 1.0 << 1.0 << 3;
    }
    void transformer() {
        QFETCH(int, hv);
        QFETCH(int, lv);
        QFETCH(Phases, ratios);
        QFETCH(Phases, shifts);
        QFETCH(double, turnsFactor);
        QFETCH(double, voltFactor);
        QFETCH(int, variant);
        TEmulatorLiveModel model = TArbitraryRig::FastModel();
        model.TurnsRatio = ratios;
        model.PhaseShift = shifts;
        model.SettlingCounts = variant == 1 ? 50 : 0; // readings of the previous connection, still valid
        model.CounterStart = variant == 2 ? 250 : 0;
        model.ValidWhileOff = variant == 3;
        TArbitraryRig rig;
        QVERIFY(rig.Create(hv, lv, 85, model, {QStringLiteral("/DBG")}));
        QVERIFY(rig.Run());
        QCOMPARE(rig.Operator.Texts(), QStringList());
        QCOMPARE(rig.Global->ArbitraryResult.Count, 1);
        QCOMPARE(rig.Messages.Count(UM_RESULT, wpResult), 1);
        CheckResult(rig.Global->ArbitraryResult, ratios, shifts, turnsFactor, voltFactor);
        QCOMPARE(rig.Selections(), QList<int>({49, 48, 65, 66, 80, 82}));
        CheckSwitchedOff(rig);

        // The debug log: its header and a row per phase.
        QFile log(rig.App.filePath(QStringLiteral("ArbPhase.csv")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const auto table = CSVForm::Parse(CSVForm::DecodeText(log.readAll()), ListSeparator());
        QCOMPARE(int(table.Rows.size()), 4);
        QCOMPARE(table.Rows.at(0), TQelArbitrary::LogHeader());
        QCOMPARE(table.Cols, 32);
        QCOMPARE(table.Rows.at(1).at(0), QStringLiteral("1"));
        QCOMPARE(table.Rows.at(1).at(2) + table.Rows.at(2).at(2) + table.Rows.at(3).at(2),
                 QStringLiteral("ABC"));
        QCOMPARE(table.Rows.at(2).at(13), QStringLiteral("False"));
    }

    void autoTransformer() {
        TEmulatorLiveModel model = TArbitraryRig::FastModel();
        model.TurnsRatio = {8, 9, 10};
        model.PhaseShift = {37.5, 30, 25};
        TArbitraryRig rig;
        QVERIFY(rig.Create(2, 2, 86, model));
        QVERIFY(rig.Run(180000));
        QCOMPARE(rig.Operator.Texts(), QStringList());
        QCOMPARE(rig.Selections(), QList<int>({54, 55, 54, 56, 71, 72, 71, 70, 88, 86, 88, 87}));
        QCOMPARE(rig.Global->ArbitraryResult.VectorGroup, QStringLiteral("YNYN"));
        CheckResult(rig.Global->ArbitraryResult, model.TurnsRatio, model.PhaseShift, 1, 1);
        CheckSwitchedOff(rig);
    }

    void refusedRequestsAreRepeated() {
        // Refused selections and a refused output: each is sent again, nothing halts the
        // instrument's own test, and the readings are still those of the right connections.
        TEmulatorLiveModel model = TArbitraryRig::PerPhaseModel();
        TArbitraryRig rig;
        QVERIFY(rig.Create(1, 1, 85, model));
        rig.Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("S C"), 0x102, 2});
        rig.Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("S O"), 0x102, 1});
        QVERIFY(rig.Run());
        QCOMPARE(rig.Operator.Texts(), QStringList());
        CheckResult(rig.Global->ArbitraryResult, model.TurnsRatio, model.PhaseShift, 1, 1);
        QVERIFY(!rig.WasSent(QStringLiteral("T M H")));
        QVERIFY(!rig.WasSent(QStringLiteral("T S")));
    }

    void cancelDuringSettling() {
        TEmulatorLiveModel model = TArbitraryRig::FastModel();
        model.CounterRate = 0.01; // a reading that never settles
        TArbitraryRig rig;
        QVERIFY(rig.Create(1, 1, 85, model));
        rig.Global->StartTapTest(1);
        QVERIFY(rig.Arb->Running());
        QVERIFY(QTest::qWaitFor([&] { return rig.Arb->Step() == 1 && rig.Emulator->OutputOn(); }, 30000));
        // A second start while it runs changes nothing.
        rig.Global->StartTapTest(1);
        QCOMPARE(rig.Arb->Step(), 1);
        rig.Arb->Timer()->setInterval(3600000); // the test ticks by hand now
        rig.Arb->Cancel();
        for (int tick = 0; tick < 2 && rig.Arb->Running(); ++tick) {
            rig.Arb->Tick();
            (void)QTest::qWaitFor([&] { return !rig.Arb->Running(); }, 10000);
        }
        QVERIFY(!rig.Arb->Running());
        QCOMPARE(rig.Global->ArbitraryResult.Count, 0);
        QCOMPARE(rig.Messages.Count(UM_RESULT, wpResult), 0);
        QTRY_VERIFY(rig.Messages.Count(UM_LINKSTATE, wpTestStatus) >= 2); // at step 0 and at the end
        QVERIFY(rig.Selections().isEmpty());
        CheckSwitchedOff(rig);
    }

    void faultsEndWithAMessage_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("stuck counter") << 0 << "did not settle";
        QTest::newRow("secondary 0 V") << 1 << "0 V";
        QTest::newRow("instrument gone") << 2 << "link to the instrument was lost";
        QTest::newRow("selection always refused") << 3 << "did not take the request";
    }
    void faultsEndWithAMessage() {
        QFETCH(int, fault);
        QFETCH(QString, message);
        TEmulatorLiveModel model = TArbitraryRig::FastModel();
        model.CounterStuck = fault == 0;
        model.ZeroSecondary = fault == 1;
        TArbitraryRig rig;
        QVERIFY(rig.Create(1, 1, 85, model));
        rig.Arb->SetSettleLimit(6);
        if (fault == 3)
            rig.Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("S C"), 0x102, -1});
        rig.Global->StartTapTest(1);
        QVERIFY(rig.Arb->Running());
        if (fault == 2) {
            QVERIFY(QTest::qWaitFor([&] { return rig.Arb->Step() >= 3; }, 30000));
            rig.Emulator->Stop();
        }
        QVERIFY(QTest::qWaitFor([&] { return !rig.Arb->Running(); }, 60000));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Operator.Texts().join(QLatin1Char('|')).contains(message), 10000);
        QCOMPARE(rig.Global->ArbitraryResult.Count, 0);
        QCOMPARE(rig.Messages.Count(UM_RESULT, wpResult), 0);
        QVERIFY(!rig.Global->Qel().LiveSampling());
        if (fault != 2)
            CheckSwitchedOff(rig);
    }

    void refusedStarts_data() {
        QTest::addColumn<int>("lv");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("message");
        QTest::newRow("voltage not the instrument's") << 1 << "33 V"
                                                      << "Illegal Voltage Value";
        QTest::newRow("vector group unknown") << 5 << "Auto"
                                              << "Y1P";
    }
    void refusedStarts() {
        QFETCH(int, lv);
        QFETCH(QString, voltage);
        QFETCH(QString, message);
        TArbitraryRig rig;
        QVERIFY(rig.Create(1, lv, 85, TArbitraryRig::FastModel(), {}, voltage));
        rig.Emulator->ClearLog();
        rig.Global->StartTapTest(1);
        QVERIFY(!rig.Arb->Running());
        QTRY_COMPARE(rig.Operator.Texts().size(), 1);
        QVERIFY2(rig.Operator.Texts().at(0).contains(message), qPrintable(rig.Operator.Texts().at(0)));
        QVERIFY(rig.Sent().filter(QStringLiteral("S O")).isEmpty()); // the output was never touched
    }

    void simulation() {
        // In simulation the detector sends nothing; the simulation's tick makes the result.
        TArbitraryRig rig;
        QVERIFY(rig.Create(0, 2, 85, {}, {QStringLiteral("/SIM")}));
        rig.Global->SimArbPhaseShift = 30;
        int draw = -50;
        rig.Global->SimDraw = [&] { return draw++ % 100; };
        rig.Global->StartTapTest(1);
        QVERIFY(!rig.Arb->Running());
        rig.Global->SimTimerTick();
        QTRY_COMPARE(rig.Messages.Count(UM_RESULT, wpResult), 1);
        const TArbitraryResult& r = rig.Global->ArbitraryResult;
        QCOMPARE(r.Count, 1);
        for (float shift : r.PhaseShift)
            QVERIFY2(shift >= 29.853f && shift <= 30.15f, qPrintable(QString::number(shift)));
        const TPhaseResultTexts t = rig.Global->ArbitraryResultTexts(0);
        QCOMPARE(t.Current, QStringLiteral("--"));
        QVERIFY2(t.Phase.endsWith(QStringLiteral(" °")) && t.Phase.startsWith(QStringLiteral("30.")),
                 qPrintable(t.Phase));
    }

    void arithmetic_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<double>("k1");
        QTest::addColumn<double>("k2");
        QTest::addColumn<double>("turns");
        QTest::addColumn<double>("shift");
        QTest::addColumn<double>("volt");
        QTest::newRow("equal ratios") << "YY" << 5.0 << 5.0 << 5.0 << 0.0 << 5.0;
        QTest::newRow("DZ") << "DZ" << 4.0 << 4.0 << 6.0 << 0.0 << 4.0;
        QTest::newRow("K2 above K1: positive") << "YY" << 4.0 << 6.0 << 4.5356 << 19.1066 << 4.5356;
        QTest::newRow("K2 below K1: negative") << "YY" << 6.0 << 4.0 << 4.5356 << -19.1066 << 4.5356;
        QTest::newRow("DYN volt ratio") << "DYN" << 5.0 << 5.0 << 5.0 << 0.0 << 5.0 / Root3;
    }
    void arithmetic() {
        QFETCH(QString, group);
        QFETCH(double, k1);
        QFETCH(double, k2);
        QFETCH(double, turns);
        QFETCH(double, shift);
        QFETCH(double, volt);
        const auto f = ArbPhase::FactorsFor(ArbPhase::VectorGroupIndex(group));
        const auto a = ArbPhase::ComputePhase(0, k1, k2, k1, k2, f);
        QVERIFY2(std::abs(a.TurnsRatio - turns) < 1e-3, qPrintable(QString::number(a.TurnsRatio)));
        QVERIFY2(std::abs(a.PhaseShift - shift) < 1e-3, qPrintable(QString::number(a.PhaseShift)));
        QVERIFY(std::abs(a.VoltageRatio - volt) < 1e-3);
        // Phase B with its pair in the other order is turned to phase A's orientation.
        const auto b = ArbPhase::ComputePhase(1, k2, k1, k1, k2, f);
        QCOMPARE(b.Swap, k1 != k2);
        QVERIFY(std::abs(b.PhaseShift - shift) < 1e-3);
        // No ratio from a zero secondary, and no group outside the table.
        QVERIFY(!ArbPhase::ComputePhase(0, std::numeric_limits<double>::infinity(), k2, k1, k2, f).Valid());
        QVERIFY(!ArbPhase::ComputePhase(0, 0, 0, k1, k2, f).Valid());
        QCOMPARE(ArbPhase::CorrectionFor(QStringLiteral("XX")), 0.0);
        QCOMPARE(ArbPhase::VectorGroupIndex(QStringLiteral("ynyn auto")), 21);
    }
};

QTEST_MAIN(TstArbitrary)
#include "tst_arbitrary.moc"
