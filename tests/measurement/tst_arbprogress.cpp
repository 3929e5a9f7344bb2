// The progress dialog of a phase shift detection over the emulator: the alarm texts while the
// instrument reports an alarm, the detection going on when it clears, and Cancel.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ArbitraryRig.h"
#include "QelArbProgress.h"

class TstArbProgress : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void alarmTexts() {
        const QStringList texts = {" Testing in Progress.....", " Cables are not plugged!!!!!!!!",
                                   " Emergency Button Pressed!!!!!!!!", " Output Voltage Fail!!!!!!!!",
                                   " Over Current Detected!!!!!!!!"};
        for (int alarm = 0; alarm < 5; ++alarm)
            QCOMPARE(TApmProgressBarForm::AlarmText(alarm), texts.at(alarm));
    }

    void emergencyStopDuringTheReadings() {
        TEmulatorLiveModel model = TArbitraryRig::PerPhaseModel();
        TArbitraryRig rig;
        QVERIFY(rig.Create(1, 1, 85, model));
        QWidget owner;
        owner.resize(800, 600);
        owner.show();
        TApmProgressBarForm form(*rig.Arb, &owner);
        form.tmrTestProgress->setInterval(20);
        rig.Global->StartTapTest(1);
        QTRY_VERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("Test Progress....."));
        QVERIFY(form.isModal());
        QCOMPARE(form.pbProgressBar->maximum(), 41);

        QVERIFY(QTest::qWaitFor([&] { return rig.Arb->Step() >= 6; }, 60000));
        model.EmergencyStop = true;
        rig.Emulator->SetLiveModel(model);
        QTRY_COMPARE_WITH_TIMEOUT(form.lblState->text(), QStringLiteral(" Emergency Button Pressed!!!!!!!!"),
                                  30000);
        QVERIFY(!rig.Emulator->OutputOn());
        const int paused = rig.Arb->Step();
        model.EmergencyStop = false;
        rig.Emulator->SetLiveModel(model);
        QTRY_COMPARE_WITH_TIMEOUT(form.lblState->text(), QStringLiteral(" Testing in Progress....."), 30000);
        QVERIFY(QTest::qWaitFor([&] { return !rig.Arb->Running(); }, 120000));
        QVERIFY(rig.Arb->Step() == -1 && paused >= 6);
        QCOMPARE(rig.Operator.Texts(), QStringList());
        const TArbitraryResult& r = rig.Global->ArbitraryResult;
        QCOMPARE(r.Count, 1);
        for (size_t p = 0; p < 3; ++p) {
            QVERIFY2(std::abs(r.PhaseShift[p] - model.PhaseShift[p]) < 0.01,
                     qPrintable(QString::number(r.PhaseShift[p])));
            QVERIFY(std::abs(r.TurnsRatio[p] / model.TurnsRatio[p] - 1) < 1e-4);
        }
        QTRY_VERIFY(!form.isVisible());
        QCOMPARE(form.pbProgressBar->value(), 41);
        QVERIFY(!rig.Emulator->OutputOn());
    }

    void cancelButton() {
        TEmulatorLiveModel model = TArbitraryRig::FastModel();
        model.CounterRate = 0.01; // never settles
        TArbitraryRig rig;
        QVERIFY(rig.Create(0, 2, 85, model));
        TApmProgressBarForm form(*rig.Arb);
        rig.Global->StartTapTest(1);
        QTRY_VERIFY(form.isVisible());
        QVERIFY(form.btnCancel->isEnabled());
        QTest::mouseClick(form.btnCancel, Qt::LeftButton);
        QVERIFY(!form.btnCancel->isEnabled());
        QVERIFY(QTest::qWaitFor([&] { return !rig.Arb->Running(); }, 30000));
        QTRY_VERIFY(!form.isVisible());
        QCOMPARE(rig.Global->ArbitraryResult.Count, 0);
        QVERIFY(!rig.Emulator->OutputOn());
        QVERIFY(!rig.Global->Qel().LiveSampling());
    }
};

QTEST_MAIN(TstArbProgress)
#include "tst_arbprogress.moc"
