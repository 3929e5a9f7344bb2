// The main window on a screen wider than the window (1280 × 1024): dragging by the title bar,
// the double-click that fills the screen and restores, and the impatient second close.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include "ExtStaticText.h"
#include "MainRig.h"
#include "PanelButton.h"
#include "PopupPanel.h"
#include "QelPageControl.h"

class TstMainWide : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dragAndDoubleClickOnAWideScreen() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.show();
        f.move(100, 100);
        QCOMPARE(f.screen()->geometry().width(), 1280);

        QTest::mousePress(f.esTitleBar, Qt::LeftButton, {}, QPoint(50, 10));
        QTest::mouseMove(f.esTitleBar, QPoint(150, 60));
        QCOMPARE(f.pos(), QPoint(200, 150));
        // However far it is pulled, a title bar's height of the window stays on the screen.
        QTest::mouseMove(f.esTitleBar, QPoint(4000, 3000));
        QCOMPARE(f.pos(), QPoint(1280 - 23, 1024 - 23));
        QTest::mouseRelease(f.esTitleBar, Qt::LeftButton, {}, QPoint(4000, 3000));
        f.move(100, 100);
        const QRect window = f.geometry();

        QTest::mouseDClick(f.esTitleBar, Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(f.geometry(), f.screen()->availableGeometry());
        QCOMPARE(f.bnClose->geometry(), QRect(1280 - 37, 0, 37, 23));
        // On 1280 × 1024: six keys of 208 pixels with 4 between, the last from 1064; tabs of 254.
        QCOMPARE(f.pnButtons->geometry(), QRect(2, 968, 1276, 54));
        QCOMPARE(f.bnF6->geometry().left(), 1064);
        QCOMPARE(f.bnF6->width(), 208);
        QCOMPARE(f.PageControl1->Tabs()->TabLength(), 254);
        // Filling the screen, it is not dragged.
        QTest::mousePress(f.esTitleBar, Qt::LeftButton, {}, QPoint(50, 10));
        QTest::mouseMove(f.esTitleBar, QPoint(150, 60));
        QTest::mouseRelease(f.esTitleBar, Qt::LeftButton, {}, QPoint(150, 60));
        QCOMPARE(f.pos(), QPoint(0, 0));

        QTest::mouseDClick(f.esTitleBar, Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(f.geometry(), window);
        QCOMPARE(f.pnButtons->width(), 796);
    }

    // Last: it ends the event processing of this process, as it does in the application.
    void secondCloseEndsAtOnce() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator());
        QVERIFY(rig.CreateShownAndIdle());
        TQelMainForm& f = *rig.Form;
        // The instrument never answers the goodbye: the shut-down would wait its full 2 s.
        rig.SilenceFor(QStringLiteral("C C"));

        auto chooseExit = [&f] {
            f.bnClose->PerformClick();
            if (TPopupWindow* popup = f.bnClose->PopupWindow())
                popup->ItemButton(1)->PerformClick();
        };
        QTimer::singleShot(300, this, chooseExit);
        QElapsedTimer clock;
        clock.start();
        f.bnCloseClick();
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(f.ShutDownDone());
        QVERIFY(rig.Global->Qel().isFinished() ||
                QTest::qWaitFor([&] { return rig.Global->Qel().isFinished(); }, 10000));
    }
};

int main(int argc, char* argv[]) {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1280, "height": 1024,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen:configfile=") + config.toLocal8Bit());
    QApplication app(argc, argv);
    TstMainWide test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwide.moc"
