// The main window with its file manager: the "File Manager" key, the About box's button and the
// start-up modes open it or let it load the last test; closing settles the open test first.
#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include "MainRig.h"
#include "PanelButton.h"
#include "QelAbouts.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

using TAnswer = TOperatorIFace::TAnswer;

class TstMainFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keyAboutAndStartupOpenTheFileManager_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("0 Select Startup, About's File Manager") << 0;
        QTest::newRow("1 Quick Startup, the key") << 1;
        QTest::newRow("2 FileManager") << 2;
    }
    void keyAboutAndStartupOpenTheFileManager() {
        QFETCH(int, mode);
        TMainRig rig;
        rig.SetConfig(QStringLiteral("StartupMode"), QString::number(mode));
        rig.CreateWithFileManager({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.CreateAbout();
        QTimer::singleShot(0, &f, [&] {
            if (TQelAbout* about = f.About(); about && about->isVisible())
                about->bnFileManager->PerformClick();
        });
        rig.Global->SendToAll(UM_STARTUP, 0, 0);
        QVERIFY(f.isVisible());
        if (mode == 1) {
            QVERIFY(!f.FileManager()->isVisible());
            f.bnF6->PerformClick();
        }
        QTRY_VERIFY(f.FileManager()->isVisible());
        QCOMPARE(f.FileManager()->windowTitle(), QStringLiteral("File Manager"));
        QCOMPARE(rig.NotAvailable(QStringLiteral("File Manager")), 0);
    }

    // "Load Last File" opens the last test of the list; without one, the default document.
    void loadLastFileOpensTheLastTest() {
        TMainRig rig;
        rig.SetConfig(QStringLiteral("StartupMode"), QStringLiteral("3"));
        rig.CreateWithFileManager({QStringLiteral("/SIM")});
        rig.Global->SendToAll(UM_STARTUP, 0, 0);
        QCOMPARE(rig.Global->Doc().FileName(), rig.Global->DefaultDocumentName());
        const QString test = rig.Global->DataPath + QStringLiteral("Last test.xml");
        QVERIFY(rig.Files->NewTest(test, false));
        rig.Global->Doc().DUTGeneral().Location().SetValue(QStringLiteral("Substation North"));
        QVERIFY(rig.Global->DocumentChanged());
        QVERIFY(rig.Files->Confirm());
        rig.Restart();
        rig.Files = std::make_unique<TQelTestFiles>(*rig.Global);
        rig.Form->SetFileManager(new TFileManager(*rig.Files, rig.Form.get()));
        rig.Global->SendToAll(UM_STARTUP, 0, 0);
        QCOMPARE(rig.Global->Doc().FileName(), test);
        QCOMPARE(rig.Global->Doc().DUTGeneral().Location().Value(), QStringLiteral("Substation North"));
        // Nothing is told either once the posted messages have been shown: the pages saw the
        // empty document before the last test was opened, and that is no fault of the test.
        QCoreApplication::processEvents();
        QVERIFY2(rig.Operator.Entries.isEmpty(), qPrintable(rig.Operator.Entries.value(0).Text));
    }

    // Closing asks about pending changes: Cancel keeps the window and the test as they are, No
    // puts the test back at its confirmed state and the window closes.
    void closingAsksFirst() {
        TMainRig rig;
        rig.SetConfig(QStringLiteral("StartupMode"), QStringLiteral("1"));
        rig.CreateWithFileManager({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        rig.Global->SendToAll(UM_STARTUP, 0, 0);
        const QString test = rig.Global->Doc().FileName();
        const QByteArray confirmed = ReadBytes(test);
        rig.Global->Doc().DUTGeneral().Location().SetValue(QStringLiteral("not confirmed"));
        QVERIFY(rig.Global->DocumentChanged());

        rig.Operator.Answers = {TAnswer::Cancel};
        f.bnCloseClick();
        QCOMPARE(rig.Operator.Entries.size(), 1);
        QVERIFY(rig.Operator.Entries[0].Text.contains(QStringLiteral("is not saved.")));
        QVERIFY(!f.ShutDownDone());
        QVERIFY(f.isVisible());
        QVERIFY(rig.Files->HasMarker(test));

        rig.Operator.Answers = {TAnswer::No};
        f.bnCloseClick();
        QVERIFY(f.ShutDownDone());
        QTRY_VERIFY(!f.isVisible());
        QCOMPARE(ReadBytes(test), confirmed);
        QVERIFY(!rig.Files->HasMarker(test));
    }
};

QTEST_MAIN(TstMainFiles)
#include "tst_mainfiles.moc"
