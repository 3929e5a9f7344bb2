#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

#include "Dyn11Document.h"
#include "LinkRig.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

// The live result: its texts, the routine that accepts a tap (instrument and simulation), the
// one view of the instrument the screens ask, and the simulation that stands in for it.
namespace {

class TMessageLog : public QObject {
public:
    QList<std::pair<int, qintptr>> Got; // message, wParam
    std::function<void()> OnResult;
    bool event(QEvent* e) override {
        const int type = int(e->type());
        if (type == UM_RESULT || type == UM_LINKSTATE) {
            Got.append({type, static_cast<TQelMessage*>(e)->WParam});
            if (type == UM_RESULT && OnResult)
                OnResult();
            return true;
        }
        return QObject::event(e);
    }
    int Results() const {
        return int(std::count_if(Got.begin(), Got.end(), [](auto m) { return m.first == UM_RESULT; }));
    }
};

const double Nan = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();
const double TurnsDyn11 = 5.5 * std::sqrt(3.0); // 9.526

double Number(const QString& text) {
    bool ok = false;
    QString t = text;
    t.remove(QStringLiteral("%")).remove(QStringLiteral("°"));
    const double v = t.trimmed().toDouble(&ok);
    return ok ? v : Nan;
}

struct TRig : TLinkRig {
    TMessageLog Log;
    ~TRig() override { Global.reset(); }
    // A data module with the committed vector group table and the Dyn11 test open.
    bool Create(const QStringList& arguments) {
        if (!InstallVectorGroupTable(App.path()))
            return false;
        CreateGlobal(arguments);
        Global->RegisterWindow(&Log);
        return Global->LoadVectorGroupTable() &&
               Global->NewDocument(App.filePath(QStringLiteral("home/dyn11.xml"))) && MakeDyn11(*Global);
    }
    TQelGlobal& G() { return *Global; }
};

} // namespace

class TstLiveResult : public QObject {
    Q_OBJECT

    // Every phase of a Dyn11 110 kV / 20 kV result, as the Part's example tolerances allow.
    static void CheckDyn11Texts(TQelGlobal& g, double tolerancePercent) {
        for (int p = 0; p < 3; ++p) {
            const TPhaseResultTexts t = g.PhaseResultTexts(p);
            QVERIFY2(std::fabs(Number(t.TurnsRatio) / TurnsDyn11 - 1) * 100 <= tolerancePercent,
                     qPrintable(t.TurnsRatio));
            QVERIFY2(std::fabs(Number(t.VoltageRatio) / 5.5 - 1) * 100 <= tolerancePercent,
                     qPrintable(t.VoltageRatio));
            QVERIFY2(t.RatioDeviation.endsWith(QStringLiteral(" %")), qPrintable(t.RatioDeviation));
            const double deviation = Number(t.RatioDeviation);
            QVERIFY2(deviation >= -tolerancePercent && deviation <= tolerancePercent,
                     qPrintable(t.RatioDeviation));
            QVERIFY(std::fabs(g.LiveResult.RatioDeviation[p] - deviation) < 0.006);
            QVERIFY2(t.Phase.endsWith(QStringLiteral(" °")), qPrintable(t.Phase));
            QVERIFY2(t.Current.endsWith(QLatin1Char('A')), qPrintable(t.Current));
        }
    }

private Q_SLOTS:
    void formats_data() {
        QTest::addColumn<QChar>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const QChar s('S'), f('F'), e('E'), v('V');
        QTest::newRow("S 12.345") << s << 12.345 << "12.345";
        QTest::newRow("S 1.2") << s << 1.2 << "1.2000";
        QTest::newRow("S 250") << s << 250.0 << "250.00";
        QTest::newRow("S 123456") << s << 123456.0 << "123456";
        QTest::newRow("S 0.5") << s << 0.5 << "0.5000";
        QTest::newRow("S 0.05") << s << 0.05 << "0.05000";
        QTest::newRow("S 0") << s << 0.0 << "0.0000";
        QTest::newRow("S -9.5") << s << -9.5 << "-9.5000";
        QTest::newRow("S nan") << s << Nan << "--";
        QTest::newRow("S inf") << s << Inf << "--";
        QTest::newRow("F 0.1234") << f << 0.1234 << " 0.12";
        QTest::newRow("F -12.345") << f << -12.345 << "-12.3";
        QTest::newRow("F 1234.56") << f << 1234.56 << " 1235";
        QTest::newRow("F -0.04") << f << -0.04 << "-0.04";
        QTest::newRow("F -inf") << f << -Inf << "--";
        QTest::newRow("E 0.00025") << e << 0.00025 << QStringLiteral("250.0 µ");
        QTest::newRow("E 0.3473") << e << 0.3473 << "347.3 m";
        QTest::newRow("E 1.5") << e << 1.5 << "  1.5 ";
        QTest::newRow("E nan") << e << Nan << "--";
        QTest::newRow("E no width 100") << v << 100.0 << "100.00 ";
    }
    void formats() {
        QFETCH(QChar, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        TGlobalStateGuard state;
        SetDecimalSeparator('.');
        const QString got = format == 'S'   ? ResultFormatS(value)
                            : format == 'F' ? ResultFormatF(value)
                            : format == 'E' ? ResultFormatE(value, 5, 1)
                                            : ResultFormatE(value, 0, 2);
        QCOMPARE(got, text);
    }

    // The texts of a phase by what is known of its result.
    void phaseTexts() {
        TTapResult r;
        r.HVNominal = 110;
        r.LVNominal = 20;
        r.Ratio = {10.0f, 9.5263f, 9.5263f * 0.9996f};
        r.PhaseDeviation = {0.1234f, -0.04f, 0};
        r.Current = {0.25f, 347.3f, 423.0f};
        TVectorGroupMatch sqrt3;
        sqrt3.Found = true;
        sqrt3.Factor = std::sqrt(3.0);
        TVectorGroupMatch dyn = sqrt3;
        dyn.Factor = 1 / std::sqrt(3.0);
        TResultSnapshot ok;
        ok.TestVoltage = 100;

        const TPhaseResultTexts a = MakePhaseResultTexts(r, 0, ok, sqrt3);
        QCOMPARE(a.TurnsRatio, QStringLiteral("10.000"));
        QCOMPARE(a.VoltageRatio, QStringLiteral("17.321"));
        QCOMPARE(a.Phase, QStringLiteral(" 0.12 °"));
        QCOMPARE(a.Current, QStringLiteral("250.0 µA"));
        QCOMPARE(a.TestVoltage, QStringLiteral("100.00 V"));
        const TPhaseResultTexts b = MakePhaseResultTexts(r, 1, ok, dyn);
        QCOMPARE(b.VoltageRatio, QStringLiteral("5.5000"));
        QCOMPARE(b.Phase, QStringLiteral("-0.04 °"));
        QCOMPARE(b.Current, QStringLiteral("347.3 mA"));
        QCOMPARE(MakePhaseResultTexts(r, 2, ok, dyn).RatioDeviation, QStringLiteral("-0.04 %"));
        QCOMPARE(MakePhaseResultTexts(r, 2, ok, dyn).Current, QStringLiteral("423.0 mA"));

        // No row of the table (a single-phase winding): the factor 1.0, the voltage ratio is the
        // turns ratio and the deviation is computed from it.
        const TPhaseResultTexts none = MakePhaseResultTexts(r, 1, ok, TVectorGroupMatch());
        QCOMPARE(none.TurnsRatio, QStringLiteral("9.5263"));
        QCOMPARE(none.VoltageRatio, QStringLiteral("9.5263"));
        QCOMPARE(none.RatioDeviation, QStringLiteral("73.21 %"));
        // A nominal voltage of 0, an automatic test voltage, a ratio that is no number.
        TTapResult zero = r;
        zero.LVNominal = 0;
        zero.Ratio[1] = std::numeric_limits<float>::quiet_NaN();
        TResultSnapshot automatic;
        const TPhaseResultTexts z = MakePhaseResultTexts(zero, 1, automatic, dyn);
        QCOMPARE(z.RatioDeviation, QStringLiteral("--"));
        QCOMPARE(z.TurnsRatio, QStringLiteral("--"));
        QCOMPARE(z.VoltageRatio, QStringLiteral("--"));
        QCOMPARE(z.TestVoltage, QStringLiteral("--"));
        // The instrument reported an error with the result: nothing of it is shown; a simulated
        // result never carries the link's error.
        TResultSnapshot error = ok;
        error.ErrorNumber = 2306;
        const TPhaseResultTexts e = MakePhaseResultTexts(r, 0, error, sqrt3);
        QCOMPARE(e.TurnsRatio, QStringLiteral("--"));
        QCOMPARE(e.RatioDeviation, QStringLiteral("--"));
        QCOMPARE(e.Phase, QStringLiteral("--"));
        QCOMPARE(e.Current, QStringLiteral("--"));
        QCOMPARE(e.VoltageRatio, QString());
        error.Simulated = true;
        QCOMPARE(MakePhaseResultTexts(r, 0, error, sqrt3), a);
    }

    // "/SIM", Dyn11 110 kV / 20 kV: the timer's result arrives as an instrument's would.
    void simulatedTapTest() {
        TRig rig;
        QVERIFY(rig.Create({QStringLiteral("/SIM")}));
        TQelGlobal& g = rig.G();
        QVERIFY(g.SimTimer()->isActive());
        QCOMPARE(g.InstrumentState().VectorGroup, Qel8624::TVectorGroup());
        rig.Log.Got.clear();
        g.StartTapTest(1);
        TInstrumentState s = g.InstrumentState();
        QCOMPARE(s.Status, TestStatus::Measuring);
        QCOMPARE(s.VectorGroup, (Qel8624::TVectorGroup{0, 2, 11}));
        QCOMPARE(s.TestVoltage, 0.0f); // "Auto", while measuring
        QVERIFY(s.Simulated);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Log.Results(), 1, 20000);
        for (int p = 0; p < 3; ++p)
            QVERIFY(std::fabs(g.LiveResult.Ratio[p] / TurnsDyn11 - 1) <= 0.005);
        CheckDyn11Texts(g, 0.5);
        QCOMPARE(g.PhaseResultTexts(0).Current, QStringLiteral("250.0 µA"));
        QCOMPARE(g.PhaseResultTexts(1).Current, QStringLiteral("347.3 mA"));
        QCOMPARE(g.PhaseResultTexts(2).Current, QStringLiteral("423.0 mA"));
        QCOMPARE(g.LiveResult.HVNominal, 110.0f);
        QVERIFY(g.LiveSnapshot().Simulated);
        s = g.InstrumentState();
        QCOMPARE(s.Status, TestStatus::TapWait);
        QCOMPARE(s.TestVoltage, 255.0f);
        // The result first, then the test status, as the instrument's road gives them.
        QTRY_VERIFY(!rig.Log.Got.isEmpty() &&
                    rig.Log.Got.last() == std::make_pair(int(UM_LINKSTATE), qintptr(wpTestStatus)));
        const auto result = std::find(rig.Log.Got.begin(), rig.Log.Got.end(),
                                      std::make_pair(int(UM_RESULT), qintptr(wpResult)));
        QVERIFY(result + 1 < rig.Log.Got.end());
        QCOMPARE(*(result + 1), std::make_pair(int(UM_LINKSTATE), qintptr(wpTestStatus)));
        // No second result from the next ticks.
        g.SimTimerTick();
        QCOMPARE(rig.Log.Results(), 1);
    }

    // The extreme draws give the extreme deviations; a stop leaves no result; a missing LV
    // voltage gives a flagged result without ratio.
    void simulationByTick() {
        TRig rig;
        QVERIFY(rig.Create({QStringLiteral("/SIM")}));
        TQelGlobal& g = rig.G();
        g.SimTimer()->stop(); // the ticks come from the test
        for (const int draw : {-50, 49}) {
            g.SimDraw = [draw] { return draw; };
            g.StartTapTest(1);
            g.SimTimerTick();
            for (int p = 0; p < 3; ++p)
                QCOMPARE(g.PhaseResultTexts(p).RatioDeviation,
                         draw < 0 ? QStringLiteral(" 0.50 %") : QStringLiteral("-0.49 %"));
            QCOMPARE(g.PhaseResultTexts(0).Phase,
                     draw < 0 ? QStringLiteral("-0.50 °") : QStringLiteral(" 0.49 °"));
        }
        QCOMPARE(rig.Log.Results(), 0); // posted, not yet delivered
        QTRY_COMPARE(rig.Log.Results(), 2);

        g.StartTapTest(1);
        g.StopTest();
        QCOMPARE(g.InstrumentState().Status, TestStatus::Idle);
        g.SimTimerTick();
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QCOMPARE(rig.Log.Results(), 2);

        g.Doc().DUTTrafoData().Winding().Item(1).NominalVoltage().SetValue(QString());
        g.StartTapTest(1);
        g.SimTimerTick();
        QVERIFY(g.LiveResult.Flag);
        QCOMPARE(g.LiveResult.RatioDeviation, (std::array<float, 3>{0, 0, 0}));
        QCOMPARE(g.PhaseResultTexts(0).TurnsRatio, QStringLiteral("--"));
        QCOMPARE(g.PhaseResultTexts(0).RatioDeviation, QStringLiteral("--"));
        QCOMPARE(g.PhaseResultTexts(0).Current, QStringLiteral("250.0 µA"));
    }

    // The clock number sent is that of X against H.
    void clockOfThePair_data() {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("clockLV");
        QTest::addColumn<int>("clockTV");
        QTest::addColumn<int>("sent");
        QTest::newRow("HV-LV") << 0 << 1 << 11 << 11 << 11;
        QTest::newRow("HV-TV") << 0 << 2 << 11 << 5 << 5;
        QTest::newRow("LV-TV yn11 yn11") << 1 << 2 << 11 << 11 << 0;
        QTest::newRow("LV-TV 11 5") << 1 << 2 << 11 << 5 << 6;
        QTest::newRow("LV-TV 1 11") << 1 << 2 << 1 << 11 << 10;
        QTest::newRow("TV-LV 5 11") << 2 << 1 << 11 << 5 << 6;
        QTest::newRow("LV-HV") << 1 << 0 << 11 << 0 << 1;
        QTest::newRow("LV not set") << 1 << 2 << 255 << 11 << 255;
        QTest::newRow("TV not set") << 1 << 2 << 11 << 255 << 255;
        QTest::newRow("TV arbitrary") << 1 << 2 << 11 << 85 << 85;
    }
    void clockOfThePair() {
        QFETCH(int, h);
        QFETCH(int, x);
        QFETCH(int, clockLV);
        QFETCH(int, clockTV);
        QFETCH(int, sent);
        TRig rig;
        QVERIFY(rig.Create({QStringLiteral("/SIM")}));
        TQelGlobal& g = rig.G();
        const auto windings = g.Doc().DUTTrafoData().Winding();
        windings.Item(1).VectorGroup().SetValue(clockLV);
        windings.Item(2).Configuration().SetValue(2);
        windings.Item(2).VectorGroup().SetValue(clockTV);
        g.Doc().QEL().Setup().ActMeasWindingH().SetValue(h);
        g.Doc().QEL().Setup().ActMeasWindingX().SetValue(x);
        g.StartTapTest(1);
        QCOMPARE(g.CurrentSetup.Setup.ClockNumber, sent);
    }

    // Over the emulator: the same routine and the same texts, within the emulator's scatter; a
    // request refused after the result does not blank it.
    void instrumentTapTest() {
        TRig rig;
        QVERIFY(rig.StartEmulator(600));
        QVERIFY(rig.Create({}));
        TQelGlobal& g = rig.G();
        QVERIFY(rig.WaitIdle());
        QVERIFY(!g.SimTimer()->isActive());
        g.StartTapTest(1);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Log.Results(), 1, 20000);
        CheckDyn11Texts(g, 0.5);
        QVERIFY(!g.LiveSnapshot().Simulated);
        QCOMPARE(g.LiveSnapshot().VectorGroup, (Qel8624::TVectorGroup{0, 2, 11}));
        const TPhaseResultTexts before = g.PhaseResultTexts(0);

        // The next request is refused (as a halt on an idle instrument may be): the link's last
        // reply now reports an error, the result keeps its texts.
        TEmulatorFault refused;
        refused.Kind = TEmulatorFault::Refuse;
        refused.Request = QStringLiteral("T M H");
        refused.ErrorNumber = 2306;
        rig.Emulator->AddFault(refused);
        g.StopTest();
        QTRY_COMPARE_WITH_TIMEOUT(g.InstrumentState().ErrorNumber, 2306, 20000);
        QCOMPARE(g.PhaseResultTexts(0), before);
    }
};

QTEST_MAIN(TstLiveResult)
#include "tst_liveresult.moc"
