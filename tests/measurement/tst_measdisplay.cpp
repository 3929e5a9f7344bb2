#include <QLabel>
#include <QTest>
#include <QTimer>

#include "Dyn11Document.h"
#include "IniFile.h"
#include "MainRig.h"
#include "QelMeasDisplay.h"
#include "QelPageControl.h"
#include "StateButton.h"
#include "TestDirs.h"

// The live display on the MEASURE page of the real main window, in simulation and over the
// instrument emulator on a pseudo-terminal.
class TstMeasDisplay : public QObject {
    Q_OBJECT

    struct TRig : TMainRig {
        bool Start(const QStringList& arguments) {
            if (!InstallVectorGroupTable(App.path()))
                return false;
            Create(arguments);
            ShowMeasure();
            return Global->LoadVectorGroupTable() && MakeDyn11(*Global);
        }
        void ShowMeasure() {
            Form->show();
            Form->PageControl1->setCurrentIndex(TQelMainForm::pgMeasure);
        }
        TQelMeasDisplayFrame& D() const {
            return *static_cast<TQelMeasDisplayFrame*>(Form->MeasDisplayFrame);
        }
    };

    static QStringList Values(const TQelMeasDisplayFrame& d) {
        QStringList out;
        for (const auto& column : {d.lbVoltRatio, d.lbRatioDev, d.lbPhaseDev})
            for (const QLabel* l : column)
                out << l->text();
        return out;
    }

    // What the display shows is what the data module's texts say, followed by one blank.
    static void CheckShowsLiveResult(TRig& rig) {
        const TQelMeasDisplayFrame& d = rig.D();
        for (int p = 0; p < 3; ++p) {
            const TPhaseResultTexts t = rig.Global->PhaseResultTexts(p);
            QCOMPARE(d.lbVoltRatio[p]->text(),
                     (d.bnRatio->State() == 0 ? t.VoltageRatio : t.TurnsRatio) + ' ');
            QCOMPARE(d.lbRatioDev[p]->text(), t.RatioDeviation + ' ');
            QCOMPARE(d.lbPhaseDev[p]->text(), t.Phase + ' ');
            QCOMPARE(d.lbCurrent[p]->text(), t.Current + ' ');
        }
        QCOMPARE(d.lbHVConfig->text(), QStringLiteral("D"));
        QCOMPARE(d.lbLVConfig->text(), QStringLiteral("yn"));
        QCOMPARE(d.lbDisplacement->text(), QStringLiteral("11"));
    }

private Q_SLOTS:
    void connectionTexts() {
        const QStringList hv = {"D", "Y", "Yn", "Z", "Zn", "1P", "CT"};
        for (int code = 0; code < 7; ++code) {
            QCOMPARE(TQelMeasDisplayFrame::HVConnectionText(code), hv[code]);
            QCOMPARE(TQelMeasDisplayFrame::LVConnectionText(code), hv[code].toLower());
        }
        QCOMPARE(TQelMeasDisplayFrame::HVConnectionText(14), QStringLiteral("RE"));
        QCOMPARE(TQelMeasDisplayFrame::LVConnectionText(14), QStringLiteral("re"));
        for (int code : {7, 15, -1})
            QCOMPARE(TQelMeasDisplayFrame::LVConnectionText(code), QStringLiteral("??"));
    }

    // A new display: placeholders everywhere, "????" until the first state message.
    void newDisplay() {
        TRig rig;
        rig.CreateGlobal({QStringLiteral("/SIM")});
        TQelMeasDisplayFrame d(*rig.Global);
        QCOMPARE(d.height(), TQelMeasDisplayFrame::DisplayHeight);
        QCOMPARE(Values(d), QStringList(9, QStringLiteral("    ...    ")));
        QCOMPARE(d.lbTestV->text(), QStringLiteral("????"));
        QCOMPARE(d.lbVectorGroup->text(), QStringLiteral("Vector Group"));
        QCOMPARE(d.bnRatio->Caption(), QStringLiteral("          Voltage-Ratio"));
        QCOMPARE(d.bnPhaseDeviation->Caption(), QStringLiteral("Phase Deviation"));
        QVERIFY(d.pnCurrent->isHidden());
        d.OnLinkState(wpLinkState);
        QCOMPARE(d.lbVectorGroup->text(), QStringLiteral("VectorGroup"));
        QCOMPARE(d.lbHVConfig->text(), QStringLiteral("??"));
        QCOMPARE(d.lbDisplacement->text(), QStringLiteral("??"));
        QCOMPARE(d.lbTestV->text(), QStringLiteral("???"));
        // The phase column's header is locked: a tap does not change it.
        d.bnPhaseDeviation->PerformClick();
        QCOMPARE(d.bnPhaseDeviation->State(), 0);
    }

    // A simulated test: reset while measuring, the result in every column, the status texts
    // from the simulation; the ratio button switches at once and is kept across a restart.
    void simulatedResultAndRatioButton() {
        TRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        rig.Global->SimTimer()->stop(); // the test gives the tick
        rig.Global->StartTapTest(1);
        QTRY_COMPARE(rig.D().lbTestStatus->text(), QStringLiteral("Measuring"));
        QCOMPARE(Values(rig.D()), QStringList(9, QStringLiteral("    ...    ")));
        QCOMPARE(rig.D().lbTestV->text(), QStringLiteral("0 V")); // "Auto" as the instrument reports it
        rig.Global->SimTimerTick();
        QTRY_COMPARE(rig.D().lbTestStatus->text(), QStringLiteral("TapWait"));
        CheckShowsLiveResult(rig);
        QCOMPARE(rig.D().lbTestV->text(), QStringLiteral("???"));
        QCOMPARE(rig.D().lbCurrent[1]->text(), QStringLiteral("347.3 mA "));

        QCOMPARE(rig.D().bnRatio->State(), 0);
        QTest::mouseClick(rig.D().bnRatio, Qt::LeftButton);
        QCOMPARE(rig.D().bnRatio->State(), 1);
        QCOMPARE(rig.D().bnRatio->Caption(), QStringLiteral("          Turns-Ratio"));
        QCOMPARE(rig.D().lbVoltRatio[0]->text(), rig.Global->PhaseResultTexts(0).TurnsRatio + ' ');
        QCOMPARE(TIniFile(rig.ConfigFile())
                     .ReadInteger(QStringLiteral("Setup"), QStringLiteral("RatioDisplay"), -1),
                 1);

        rig.Restart({QStringLiteral("/SIM")});
        rig.ShowMeasure();
        QCOMPARE(rig.D().bnRatio->State(), 1);
        QTest::mouseClick(rig.D().bnRatio, Qt::LeftButton);
        rig.Restart({QStringLiteral("/SIM")});
        QCOMPARE(rig.D().bnRatio->State(), 0);
    }

    // Over the emulator: the same road and the same texts; a stop in simulation leaves the
    // placeholders.
    void instrumentResult() {
        TRig rig;
        QVERIFY(rig.StartEmulator(600));
        QVERIFY(rig.Start({}));
        QVERIFY(rig.WaitIdle());
        rig.Global->StartTapTest(1);
        QTRY_VERIFY_WITH_TIMEOUT(rig.D().lbRatioDev[2]->text() != TQelMeasDisplayFrame::NotMeasured, 20000);
        CheckShowsLiveResult(rig);
        for (int p = 0; p < 3; ++p) {
            const double ratio = rig.D().lbVoltRatio[p]->text().toDouble();
            QVERIFY2(std::fabs(ratio / 5.5 - 1) <= 0.005, qPrintable(rig.D().lbVoltRatio[p]->text()));
        }
    }

    void stopInSimulation() {
        TRig rig;
        QVERIFY(rig.Start({QStringLiteral("/SIM")}));
        rig.Global->SimTimer()->stop();
        rig.Global->StartTapTest(1);
        rig.Global->StopTest();
        rig.Global->SimTimerTick();
        QTRY_COMPARE(rig.D().lbTestStatus->text(), QStringLiteral("Idle"));
        QCOMPARE(Values(rig.D()), QStringList(9, QStringLiteral("    ...    ")));
    }
};

QTEST_MAIN(TstMeasDisplay)
#include "tst_measdisplay.moc"
