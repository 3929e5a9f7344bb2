// The MEASURE page in the real main window: single-tap tests and tests over all taps and winding
// pairs, in simulation and against the instrument emulator on a pseudo-terminal; the results grid
// as the document's measurement table.
#include <QTimer>

#include <cmath>

#include "Dyn11Document.h"
#include "FStringGrids.h"
#include "MainRig.h"
#include "PanelButton.h"
#include "QelArbitrary.h"
#include "QelManual.h"
#include "QelPageControl.h"
#include "QelTapActionDlg.h"
#include "QelWindings.h"
#include "SIPrefixes.h"
#include "TSControls.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QLabel>
#include <QProgressBar>

namespace {

using TAnswer = TOperatorIFace::TAnswer;
const QString Done = QStringLiteral("\r\nTest done.");

// HV taps 1-4 of which 2, 3, 4 are active; LV taps 1-3 of which 1, 2 are active.
void SetDyn11Taps(TQelGlobal& g, int hvTap, int lvTap) {
    MakeDyn11(g);
    SetTapChanger(g, 0, {"121 kV", "115.5 kV", "110 kV", "104.5 kV"}, {false, true, true, true});
    SetTapChanger(g, 1, {"21 kV", "20 kV", "19 kV"}, {true, true, false});
    const TXMLSetupType setup = g.Doc().QEL().Setup();
    setup.ActMeasHVTapIdx().SetValue(hvTap);
    setup.ActMeasLVTapIdx().SetValue(lvTap);
    setup.ActTestVoltage().SetValue(QStringLiteral("100 V"));
    g.DocumentChanged();
}

const QStringList& Dyn11Order() {
    static const QStringList order = {"HV T2:LV T1", "HV T2:LV T2", "HV T3:LV T1",
                                      "HV T3:LV T2", "HV T4:LV T1", "HV T4:LV T2"};
    return order;
}

// The main window with its pages on screen; the tap dialog is answered from a script (1 test,
// 2 skip, 3 stop; test when the script is empty) the moment it shows, and in simulation every
// started tap is measured at once.
struct TPageRig : TMainRig {
    std::unique_ptr<TQelArbitrary> Arb; // the phase shift detector, where a test needs it
    QList<int> DialogAnswers;
    QStringList DialogTaps;
    QTimer Answerer;
    int FirstTapCount = -1;

    bool Start(const QStringList& arguments) {
        if (!InstallVectorGroupTable(App.path()))
            return false;
        Create(arguments);
        if (!Global->LoadVectorGroupTable())
            return false;
        Global->SimDraw = [] { return 7; };
        Form->show();
        Answerer.setInterval(5);
        QObject::connect(&Answerer, &QTimer::timeout, [this] { Serve(); });
        Answerer.start();
        return true;
    }
    void Serve() {
        TDlgTapAction* d = Page().TapDialog();
        if (d && d->isVisible()) {
            DialogTaps << d->lbTapName->text();
            const int a = DialogAnswers.isEmpty() ? 1 : DialogAnswers.takeFirst();
            TPanelButton* keys[] = {d->bnNextTap, d->bnSkipTap, d->bnStop};
            keys[a - 1]->PerformClick();
        }
        if (Global->SimulationMode && Global->SimTestStatus == TestStatus::Measuring) {
            if (FirstTapCount < 0)
                FirstTapCount = Global->CurrentSetup.Setup.TapA;
            Global->SimTimerTick();
        }
    }
    TQelManualFrame& Page() const { return *Form->ManualFrame; }
    const TGridTable& Rows() const { return Page().sgMeasData->Table(); }
    // The result rows of the table: (Phase, Meas.Conf) of each row with a time.
    QStringList Results() const {
        QStringList out;
        for (int r = 1; r < Rows().RowCount(); ++r)
            if (!Rows().Cell(0, r).isEmpty())
                out << Rows().Cell(1, r) + ' ' + Rows().Cell(2, r);
        return out;
    }
    int Count(const QString& text) const { return int(Operator.Texts().count(text)); }
};

QStringList ThreePhases(const QStringList& confs) {
    QStringList out;
    for (const QString& c : confs)
        for (const char* p : {"A", "B", "C"})
            out << QLatin1String(p) + ' ' + c;
    return out;
}

} // namespace

class TstManualPage : public QObject {
    Q_OBJECT

    // What every whole test over the Dyn11 taps must have left behind.
    void CheckDyn11Test(TPageRig& rig) {
        QCOMPARE(rig.Results(), ThreePhases(Dyn11Order()));
        QCOMPARE(rig.Count(Done), 1);
        // The test conditions go with the first row of the series alone.
        const TXMLGridType grid = rig.Global->Doc().QEL().Measurement().Grid();
        for (int r = 0; r < grid.R().Count(); ++r)
            QCOMPARE(grid.R().Item(r).HasInfo(), r == 0);
        QCOMPARE(grid.R().Item(0).Info().Operator(), rig.Global->Doc().DUTGeneral().Operator().Value());
        QVERIFY(!grid.R().Item(0).Info().APSW().isEmpty());
        // Every row is in the saved file.
        TKvXML saved;
        QVERIFY(saved.Load(rig.Global->Doc().FileName()).Loaded());
        const TXMLGridType stored = saved.QEL().Measurement().Grid();
        QCOMPARE(stored.RowCount(), rig.Rows().RowCount());
        for (int r = 0; r < rig.Rows().RowCount(); ++r)
            for (int c = 0; c < TQelManualFrame::ResultCols; ++c)
                QCOMPARE(stored.Cell(c, r), rig.Rows().Cell(c, r));
        QVERIFY(stored.R().Item(0).HasInfo());
        QVERIFY(!rig.Page().AllTaps());
    }

private Q_SLOTS:
    void allTapsDyn11Simulated_data() {
        QTest::addColumn<int>("hvTap");
        QTest::addColumn<bool>("asked");
        QTest::newRow("at the bottom: the dialog first") << 2 << false;
        // Row 1 is not activated: the bottom is the first activated tap, row 2.
        QTest::newRow("asked, started at the bottom") << 3 << true;
    }
    void allTapsDyn11Simulated() {
        QFETCH(int, hvTap);
        QFETCH(bool, asked);
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        SetDyn11Taps(*rig.Global, hvTap, 1);
        QCOMPARE(rig.Page().Taps[0].Selector->Items(), QStringList({"T 2", "T 3", "T 4"}));
        QCOMPARE(rig.Page().Taps[1].Selector->Items(), QStringList({"T 1", "T 2"}));
        rig.Operator.Answers = {TAnswer::Yes};
        rig.Form->bnF1Click();
        QCOMPARE(rig.Form->PageControl1->currentIndex(), int(TQelMainForm::pgMeasure));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Count(Done) == 1, 30000);
        QCOMPARE(rig.FirstTapCount, 6);
        QCOMPARE(rig.Operator.Texts().filter(QStringLiteral("Press YES to start")).size(), asked ? 1 : 0);
        if (asked)
            QVERIFY(rig.Operator.Texts().first().contains(QStringLiteral("(HV T 2:LV T 1)")));
        // The dialog offers every tap the page measures without asking at once.
        QCOMPARE(rig.DialogTaps, asked ? Dyn11Order().mid(1) : Dyn11Order());
        CheckDyn11Test(rig);
        QCOMPARE(rig.Rows().Cell(3, 1), QStringLiteral("115.5 kV"));
        QCOMPARE(rig.Rows().Cell(4, 1), QStringLiteral("21 kV"));
        QCOMPARE(rig.Rows().Cell(5, 1), QStringLiteral("1"));
        QCOMPARE(rig.Rows().Cell(11, 1), QStringLiteral(".."));
        QCOMPARE(rig.Page().sgMeasData->FixedCols(), 3);
    }

    void allTapsDyn11OverTheEmulator() {
        TPageRig rig;
        QVERIFY(rig.StartEmulator(1200));
        QVERIFY(rig.Start({}));
        QVERIFY(rig.WaitIdle());
        SetDyn11Taps(*rig.Global, 2, 1);
        rig.Form->bnF1Click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.Count(Done) == 1, 120000);
        // The first test setup carried the six measurements of the test.
        QVERIFY(rig.WasSent(QStringLiteral("T S T 00000006")));
        CheckDyn11Test(rig);
        QCOMPARE(rig.Global->Doc().QEL().Measurement().Grid().R().Item(0).Info().Device(),
                 rig.Global->Qel().InstrumentType());
    }

    // Automatic configuration: the configuration the instrument found is kept on Yes, and the next
    // tap is measured without the question.
    void automaticConfigurationAnsweredYes() {
        TPageRig rig;
        QVERIFY(rig.StartEmulator(1200));
        rig.Emulator->SetConnectedVectorGroup({Qel8624::conD, Qel8624::conYN, 11});
        QVERIFY(rig.Start({}));
        QVERIFY(rig.WaitIdle());
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        SetTapChanger(g, 0, {"115.5 kV", "110 kV"}, {true, true});
        const auto windings = g.Doc().DUTTrafoData().Winding();
        windings.Item(1).Configuration().SetValue(Qel8624::conNotSet);
        windings.Item(1).VectorGroup().SetValue(Qel8624::ClockNotSet);
        g.Doc().QEL().Setup().ActMeasHVTapIdx().SetValue(1);
        g.DocumentChanged();
        rig.Operator.Answers = {TAnswer::Yes};
        rig.Form->bnF1Click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.Count(Done) == 1, 60000);
        const QString question =
            QStringLiteral("Do you want to use the configuration \r\n\"D:yn11\"\r\nfor this test object?");
        QCOMPARE(rig.Count(question), 1);
        QCOMPARE(rig.Operator.Entries.first().Title, g.ConfigSection);
        QCOMPARE(windings.Item(0).Configuration().Value(), int(Qel8624::conD));
        QCOMPARE(windings.Item(1).Configuration().Value(), int(Qel8624::conYN));
        QCOMPARE(windings.Item(1).VectorGroup().Value(), 11);
        QCOMPARE(rig.Results(), ThreePhases({"HV T1:LV", "HV T2:LV"}));
    }

    // After the HV-LV pair the test asks for the tertiary connections; Cancel leaves the pair.
    void tertiaryPairsArePrompted_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("OK, OK") << false;
        QTest::newRow("Cancel") << true;
    }
    void tertiaryPairsArePrompted() {
        QFETCH(bool, cancel);
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        const auto tv = g.Doc().DUTTrafoData().Winding().Item(2);
        tv.SetAvail(1);
        tv.Configuration().SetValue(2);
        tv.VectorGroup().SetValue(11);
        tv.NominalVoltage().SetValue(QStringLiteral("10 kV"));
        g.DocumentChanged();
        rig.Operator.Answers = {cancel ? TAnswer::Cancel : TAnswer::Ok};
        rig.Form->bnF1Click();
        const QString hvTv = QStringLiteral("\tHV Winding \r\nagainst\r\n\tTertiary Winding.");
        const QString lvTv = QStringLiteral("\tLV Winding \r\nagainst\r\n\tTertiary Winding.");
        if (cancel) {
            QTRY_VERIFY_WITH_TIMEOUT(rig.Operator.Texts().filter(hvTv).size() == 1, 30000);
            QTest::qWait(50);
            QCOMPARE(rig.Results(), ThreePhases({"HV:LV"}));
            QCOMPARE(g.Doc().QEL().Setup().ActMeasWindingX().Value(), 1);
            QCOMPARE(g.SimTestStatus, TestStatus::TapWait); // nothing started after the result
            QCOMPARE(rig.Count(Done), 0);
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(rig.Count(Done) == 1, 30000);
        QCOMPARE(rig.Operator.Texts().filter(hvTv).size(), 1);
        QCOMPARE(rig.Operator.Texts().filter(lvTv).size(), 1);
        QCOMPARE(rig.Results(), ThreePhases({"HV:LV", "HV:TV", "LV:TV"}));
        QCOMPARE(rig.Rows().Cell(3, 9), QStringLiteral("20 kV")); // LV on H
        QCOMPARE(rig.Rows().Cell(4, 9), QStringLiteral("10 kV"));
    }

    // Skipping the last tap ends the test; a 1P HV winding gives one row per result.
    void skipLastTapSinglePhase() {
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        const auto windings = g.Doc().DUTTrafoData().Winding();
        windings.Item(0).Configuration().SetValue(5);
        windings.Item(1).Configuration().SetValue(5);
        windings.Item(1).VectorGroup().SetValue(0);
        SetTapChanger(g, 0, {"121 kV", "110 kV", "99 kV"}, {true, false, true});
        g.Doc().QEL().Setup().ActMeasHVTapIdx().SetValue(1);
        g.DocumentChanged();
        rig.DialogAnswers = {1, 2};
        rig.Form->bnF1Click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.Count(Done) == 1, 30000);
        QCOMPARE(rig.DialogTaps, QStringList({"HV T1:LV", "HV T3:LV"}));
        QCOMPARE(rig.Results(), QStringList({"Single HV T1:LV"})); // the inactive tap 2 never shows
    }

    // Single phase and CT, in simulation and over the emulator: one "Single" row whose voltage
    // ratio is its turns ratio (the table has no row for them: factor 1.0) and whose ratio
    // deviation is computed; no automatic configuration is asked for.
    void windingsWithoutATableRow_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("simulated");
        QTest::newRow("1P simulated") << int(Qel8624::con1P) << true;
        QTest::newRow("CT simulated") << int(Qel8624::conCT) << true;
        QTest::newRow("1P emulator") << int(Qel8624::con1P) << false;
        QTest::newRow("CT emulator") << int(Qel8624::conCT) << false;
    }
    void windingsWithoutATableRow() {
        QFETCH(int, code);
        QFETCH(bool, simulated);
        TPageRig rig;
        if (!simulated)
            QVERIFY(rig.StartEmulator(600));
        QVERIFY(rig.Start(simulated ? QStringList{QStringLiteral("/SIM")} : QStringList{}));
        if (!simulated)
            QVERIFY(rig.WaitIdle());
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        g.Doc().DUTTrafoData().Winding().Item(0).Configuration().SetValue(code);
        QelWindings::ApplyHvConnectionRules(g.Doc().DUTTrafoData());
        g.DocumentChanged();
        rig.Operator.Answers = {TAnswer::Yes};
        rig.Form->bnF3Click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.Results().size(), 1, 30000);
        QCOMPARE(rig.Rows().Cell(1, 1), QStringLiteral("Single"));
        const QString voltageRatio = rig.Rows().Cell(7, 1);
        QCOMPARE(voltageRatio, rig.Rows().Cell(8, 1));
        double v = 0, deviation = 0;
        QVERIFY2(ReadSI(voltageRatio, v) && std::fabs(v / 5.5 - 1) <= 0.005, qPrintable(voltageRatio));
        QString text = rig.Rows().Cell(9, 1);
        QVERIFY2(text.endsWith(QStringLiteral(" %")), qPrintable(text));
        QVERIFY2(ReadSI(text.chopped(2), deviation) && std::fabs(deviation) <= 0.5, qPrintable(text));
        QCOMPARE(rig.Operator.Texts().size(), 1); // the new series question alone
        if (!simulated)
            QCOMPARE(g.LiveSnapshot().VectorGroup, (Qel8624::TVectorGroup{code, code, 0}));
    }

    // A test of YNyn0d11 over all pairs: the terminals written and shown for each pair are those
    // of that pair's table row (HV-TV and LV-TV measure d11, not the yn0 of HV-LV).
    void terminalsOfEachPair() {
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        const auto windings = g.Doc().DUTTrafoData().Winding();
        windings.Item(0).Configuration().SetValue(Qel8624::conYN);
        windings.Item(1).VectorGroup().SetValue(0);
        const auto tv = windings.Item(2);
        tv.SetAvail(1);
        tv.Configuration().SetValue(Qel8624::conD);
        tv.VectorGroup().SetValue(11);
        tv.NominalVoltage().SetValue(QStringLiteral("10 kV"));
        g.DocumentChanged();
        // After each result's save: the pair, the terminals in the document and on the page.
        struct TSeen : QObject {
            TPageRig* Rig = nullptr;
            QStringList Seen;
            bool event(QEvent* e) override {
                if (int(e->type()) != UM_DOCCHANGED || Rig->Results().size() % 3 != 0 || Rig->Results().isEmpty())
                    return QObject::event(e);
                const TXMLSetupType s = Rig->Global->Doc().QEL().Setup();
                const TQelManualFrame& page = Rig->Page();
                const QString seen = QStringLiteral("%1%2|%3|%4|%5|%6")
                                         .arg(s.ActMeasWindingH().Value())
                                         .arg(s.ActMeasWindingX().Value())
                                         .arg(s.ActWindMeasPhaseA().Value(), s.ActWindMeasPhaseB().Value(),
                                              s.ActWindMeasPhaseC().Value(), page.lbPhaseA->text());
                if (Seen.isEmpty() || Seen.last() != seen)
                    Seen << seen;
                return QObject::event(e);
            }
        } seen;
        seen.Rig = &rig;
        g.RegisterWindow(&seen);
        rig.Operator.Answers = {TAnswer::Ok, TAnswer::Ok};
        rig.Form->bnF1Click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.Count(Done) == 1, 30000);
        g.UnregisterWindow(&seen);
        QCOMPARE(rig.Results(), ThreePhases({"HV:LV", "HV:TV", "LV:TV"}));
        // Each pair's own row: YN yn 0, YN d 11 (the LV-TV pair: LV's YN against TV's d, 11 - 0).
        const auto row = [&g](int hv, int lv, int clock, bool tertiary) {
            QStringList t;
            for (int p = 0; p < 3; ++p)
                t << g.VectorGroupLookup(p, hv, lv, clock).Connection;
            QString shown = t[0];
            if (tertiary)
                shown.replace(QLatin1Char('2'), QLatin1Char('3')); // the X terminals are TV's (IEC)
            return t.join('|') + '|' + shown;
        };
        const int yn = Qel8624::conYN, d = Qel8624::conD;
        QCOMPARE(seen.Seen, (QStringList{"01|" + row(yn, yn, 0, false), "02|" + row(yn, d, 11, true),
                                         "12|" + row(yn, d, 11, true)}));
        QVERIFY(!seen.Seen[1].contains(QStringLiteral("??")));
        QVERIFY(row(yn, yn, 0, false).section('|', 0, 0) != row(yn, d, 11, false).section('|', 0, 0));
        // The saved test keeps the terminals of the pair measured last.
        TKvXML saved;
        QVERIFY(saved.Load(g.Doc().FileName()).Loaded());
        QCOMPARE(saved.QEL().Setup().ActWindMeasPhaseA().Value(), g.VectorGroupLookup(0, yn, d, 11).Connection);
    }

    // A single tap: the question, a new series on Yes, appended on No, nothing on Cancel; after the
    // trailing empty row was deleted, the next result still goes after the last one.
    void singleTapsAndDeletedSeparator() {
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        rig.Operator.Answers = {TAnswer::Cancel};
        rig.Form->bnF3Click();
        QTest::qWait(20);
        QCOMPARE(g.SimTestStatus, TestStatus::Idle);
        QVERIFY(rig.Results().isEmpty());

        rig.Operator.Answers = {TAnswer::Yes};
        rig.Form->bnF3Click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.Results().size(), 3, 20000);
        QCOMPARE(rig.Rows().RowCount(), 5);
        const QStringList first = rig.Page().sgMeasData->RowCells(1);

        // The trailing empty row goes: the last row holds a result now.
        rig.Page().sgMeasData->SelectRows(4, 4);
        rig.Operator.Answers = {TAnswer::Ok};
        rig.Page().DeleteRows1Click();
        QCOMPARE(rig.Rows().RowCount(), 4);
        rig.Operator.Answers = {TAnswer::No};
        rig.Form->bnF3Click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.Results().size(), 6, 20000);
        QCOMPARE(rig.Page().sgMeasData->RowCells(1), first);
        QCOMPARE(rig.Rows().RowCount(), 8);
        QVERIFY(rig.Rows().Cell(0, 7).isEmpty());
        QCOMPARE(rig.Global->Doc().QEL().Measurement().Grid().RowCount(), 8);
    }

    // A test whose clock asks for phase shift detection: the detector measures, and the rows
    // hold its texts, "--" as phase deviation and its angle as phase shift.
    void arbitraryPhaseShiftRows_data() {
        QTest::addColumn<bool>("simulated");
        QTest::newRow("in simulation") << true;
        QTest::newRow("over the emulator") << false;
    }
    void arbitraryPhaseShiftRows() {
        QFETCH(bool, simulated);
        TPageRig rig;
        if (!simulated) {
            QVERIFY(rig.StartEmulator());
            TEmulatorLiveModel model;
            model.CounterRate = 200;
            model.TurnsRatio = {8, 8, 8};
            model.PhaseShift = {-37.2, -37.2, -37.2};
            rig.Emulator->SetLiveModel(model);
        }
        QVERIFY(rig.Start(simulated ? QStringList{QStringLiteral("/SIM")} : QStringList{}));
        QVERIFY(simulated || rig.WaitIdle());
        TQelGlobal& g = *rig.Global;
        g.SimArbPhaseShift = -37.2;
        rig.Arb = std::make_unique<TQelArbitrary>(g);
        rig.Arb->Timer()->setInterval(40);
        MakeDyn11(g);
        g.Doc().DUTTrafoData().Winding().Item(1).VectorGroup().SetValue(Qel8624::ClockArbitrary);
        g.DocumentChanged();
        rig.Operator.Answers = {TAnswer::Yes};
        rig.Form->bnF3Click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.Results(), ThreePhases({"HV:LV"}), 120000);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Arb->Running(), 20000);
        QCOMPARE(g.ArbitraryResult.Count, 1);
        for (int p = 0; p < 3; ++p) {
            const TPhaseResultTexts texts = g.ArbitraryResultTexts(p);
            QCOMPARE(rig.Rows().Cell(8, p + 1), texts.TurnsRatio);
            QCOMPARE(rig.Rows().Cell(10, p + 1), QStringLiteral("--"));
            const QString angle = rig.Rows().Cell(11, p + 1);
            QCOMPARE(angle, texts.Phase);
            QVERIFY2(angle.endsWith(QStringLiteral(" °")) &&
                         std::abs(angle.chopped(2).trimmed().toDouble() + 37.2) < 0.05,
                     qPrintable(angle));
        }
        // The live display above the grid shows the angle in whole degrees.
        QCOMPARE(rig.Form->MeasDisplayFrame->findChild<QLabel*>(QStringLiteral("lbArbPhaseDisp"))->text(),
                 QStringLiteral("-37°"));
        QCOMPARE(rig.Operator.Texts().size(), 1); // the new-series question; no fault on the way
    }

    // The bar shows the part of the expected time gone: none without an expected time, and never
    // beyond either end.
    void progressDisplay_data() {
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("remaining");
        QTest::newRow("half") << 10.0 << 5000 << 50 << "0:05";
        QTest::newRow("overdue") << 10.0 << 25000 << 100 << "0:00";
        QTest::newRow("clock behind the start") << 10.0 << -3000 << 0 << "0:13";
        QTest::newRow("no expected time") << 0.0 << 4000 << 0 << "0:00";
        QTest::newRow("a negative expected time") << -5.0 << 4000 << 0 << "0:00";
    }
    void progressDisplay() {
        QFETCH(double, expected);
        QFETCH(int, elapsedMs);
        QFETCH(int, position);
        QFETCH(QString, remaining);
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        rig.Answerer.stop(); // the simulated tap stays measuring
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        qint64 now = 1000000;
        rig.Page().Ticks = [&now] { return now; };
        rig.Page().Timer1->stop();
        rig.Operator.Answers = {TAnswer::Yes};
        rig.Form->bnF3Click();
        QCOMPARE(g.SimTestStatus, TestStatus::Measuring);
        g.QelMeasTime = expected;
        now += elapsedMs;
        rig.Page().Timer1Timer();
        QCOMPARE(rig.Page().KvProgressBar1->value(), position);
        QCOMPARE(rig.Page().lbTime->text(), remaining);
    }

    // The older ten-column table gains the voltage ratio from the document's own vector group; a
    // pair without a row of the table (single phase, CT) the turns ratio itself.
    void olderGridIsConverted_data() {
        QTest::addColumn<int>("hvCode");
        QTest::addColumn<int>("lvCode");
        QTest::newRow("Dyn11") << 0 << 2;
        QTest::newRow("no row for the pair") << 15 << 2;
        QTest::newRow("single phase") << 5 << 5;
        QTest::newRow("CT") << 6 << 6;
    }
    void olderGridIsConverted() {
        QFETCH(int, hvCode);
        QFETCH(int, lvCode);
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        g.Doc().DUTTrafoData().Winding().Item(0).Configuration().SetValue(hvCode);
        g.Doc().DUTTrafoData().Winding().Item(1).Configuration().SetValue(lvCode);
        TMemoryGridTable old(QStringLiteral("sgMeasData"), 10, 4);
        const QStringList titles = {"Time",       "Phase",       "Meas.Conf",  "Prim.Volt.", "Sec.Volt",
                                    "Nom.VRatio", "Turns Ratio", "Ratio Dev.", "Phase Dev.", "Current"};
        const QStringList row = {"14.03.2026 10:21:05",
                                 "B",
                                 "HV T3(N):LV",
                                 "110 kV",
                                 "20 kV",
                                 "5.5000",
                                 "9.5263",
                                 "0.02 %",
                                 "0.01 °",
                                 "3.2 mA"};
        for (int c = 0; c < 10; ++c) {
            old.SetCell(c, 0, titles[c]);
            old.SetCell(c, 1, row[c]);
        }
        g.Doc().QEL().Measurement().Grid().StoreFrom(old, 0);
        g.DocumentChanged();
        const TGridTable& t = rig.Rows();
        QCOMPARE(t.ColCount(), 13);
        for (int c = 0; c < 13; ++c)
            QCOMPARE(t.Cell(c, 0), QStringList({"Time", "Phase", "Meas.Conf", "Prim.Volt.", "Sec.Volt",
                                                "TapNr.", "Nom.VRatio", "Volt.Ratio", "Turns Ratio",
                                                "Ratio Dev.", "Phase Dev.", "Phaseshift", "Current"})[c]);
        const TVectorGroupMatch m = g.VectorGroupLookup(1, hvCode, lvCode, 11);
        QCOMPARE(m.Found, hvCode == 0);
        QCOMPARE(t.Cell(5, 1), QStringLiteral("3"));
        QCOMPARE(t.Cell(6, 1), QStringLiteral("5.5000"));
        QCOMPARE(t.Cell(7, 1), ResultFormatE(9.5263 * m.Factor, 0, 4));
        if (!m.Found)
            QCOMPARE(t.Cell(7, 1).trimmed(), QStringLiteral("9.5263"));
        QCOMPARE(t.Cell(8, 1), QStringLiteral("9.5263"));
        QCOMPARE(t.Cell(9, 1), QStringLiteral("0.02 %"));
        QCOMPARE(t.Cell(10, 1), QStringLiteral("0.01 °"));
        QCOMPARE(t.Cell(12, 1), QStringLiteral("3.2 mA"));
        QCOMPARE(g.Doc().QEL().Measurement().Grid().ColCount(), 13); // stored as converted
    }

    // The test conditions of a series are found from any of its rows, never from another series.
    void testConditionsStayInTheirSeries() {
        TPageRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        TQelGlobal& g = *rig.Global;
        MakeDyn11(g);
        rig.Operator.Answers = {TAnswer::Yes};
        rig.Form->bnF3Click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.Results().size(), 3, 20000);
        // A second series written without conditions (as an older program left it).
        TMemoryGridTable t(QStringLiteral("sgMeasData"), 13, 1);
        t.SetRowCount(rig.Rows().RowCount() + 2);
        for (int r = 0; r < rig.Rows().RowCount(); ++r)
            for (int c = 0; c < 13; ++c)
                t.SetCell(c, r, rig.Rows().Cell(c, r));
        for (int c = 0; c < 13; ++c)
            t.SetCell(c, 5, rig.Rows().Cell(c, 1));
        g.Doc().QEL().Measurement().Grid().StoreFrom(t, 0);
        g.DocumentChanged();
        rig.Operator.Entries.clear();
        rig.Page().sgMeasData->SetRow(3);
        rig.Page().ShowInfo1Click();
        rig.Page().sgMeasData->SetRow(5);
        rig.Page().ShowInfo1Click();
        QCOMPARE(rig.Operator.Texts().size(), 2);
        QVERIFY(rig.Operator.Texts()[0].startsWith(QStringLiteral("Operator        \t\t")));
        QCOMPARE(rig.Operator.Texts()[1], QStringLiteral("No Measurement \r\nInformation available"));
    }
};

QTEST_MAIN(TstManualPage)
#include "tst_manualpage.moc"
