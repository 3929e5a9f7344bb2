// The file manager on screen with the touch and the standard file dialogs: what it shows, New over
// an existing test, Load from removable media, and the recent-test buttons after a killed run.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <cstdio>

#include "EntrySwitches.h"
#include "PanelButton.h"
#include "PopupPanel.h"
#include "QelFileManagers.h"
#include "TestFilesRig.h"
#include "XMLDialogs.h"

using TAnswer = TOperatorIFace::TAnswer;

namespace {

// The child: a run that confirms a test, changes it (saved at once, as always) and is killed
// before anyone answers for the change.
int EditAndWait(const QString& appFolder) {
    TRecordingOperator op;
    TQelStartup s;
    s.ExecutablePath = appFolder + QStringLiteral("/Qel8625");
    s.Arguments = {QStringLiteral("/SIM")};
    s.DocumentsFolder = appFolder + QStringLiteral("/home");
    s.Operator = &op;
    TQelGlobal global(s);
    TQelTestFiles files(global, TVolumeCheck::System());
    const QString test = global.DataPath + QStringLiteral("Killed.xml");
    if (!files.NewTest(test, true))
        return 2;
    global.Doc().DUTGeneral().Location().SetValue(QStringLiteral("confirmed"));
    if (!global.DocumentChanged() || !files.Confirm())
        return 3;
    global.Doc().DUTGeneral().Location().SetValue(QStringLiteral("unconfirmed"));
    if (!global.DocumentChanged())
        return 4;
    std::printf("changed\n");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}

} // namespace

class TstFileManager : public QObject {
    Q_OBJECT

    struct TRig : TTestFilesRig {
        std::unique_ptr<TFileManager> Form;
        ~TRig() override { Form.reset(); }
        void Create(bool touch) {
            CreateFiles();
            // The touch file dialogs go with the touch entry switch (the settings set it at start).
            TEntrySwitches::TouchEntryWide = touch;
            Form = std::make_unique<TFileManager>(*Files);
            Form->Execute();
        }
    };

private Q_SLOTS:
    void keysAndRecentButtons() {
        TRig rig;
        rig.Create(true);
        TFileManager& f = *rig.Form;
        QCOMPARE(f.windowTitle(), QStringLiteral("File Manager"));
        const QList<QPair<TPanelButton*, QString>> keys = {
            {f.bnNewTest, "New"},    {f.bnLoadFromTemplate, "New based on Template"},
            {f.bnLoad, "Load"},      {f.bnSave, "Save"},
            {f.bnSaveAs, "Save As"}, {f.bnPrint, "Report"}};
        for (const auto& [key, caption] : keys) {
            QCOMPARE(key->Caption(), caption);
            QVERIFY(key->ImageList()->HasPicture(key->FacePicture()));
        }
        QCOMPARE(f.Label1->text(), QStringLiteral("Previous Test(s)"));
        QVERIFY(f.bnHis1->isHidden() && f.bnHis2->isHidden() && f.bnHis3->isHidden());
        f.reject();
        for (const char* name : {"One.xml", "Two.xml", "Three.xml", "Four.xml"})
            QVERIFY(rig.Files->NewTest(rig.Data(QString::fromLatin1(name)), false));
        f.Execute();
        QCOMPARE(f.bnHis1->Caption(), QStringLiteral("/../Four"));
        QCOMPARE(f.bnHis3->Caption(), QStringLiteral("/../Two"));
        QVERIFY(!f.bnHis3->isHidden());
        QCOMPARE(rig.Files->LastFiles().Count(), 4); // four kept, three shown
        QCOMPARE(f.StartFolder(), QDir::cleanPath(rig.Global->DataPath));

        // The report key's pop-up opens the report of the test (made now) in the desktop's viewer.
        QList<QUrl> opened;
        rig.Files->OpenUrl = [&](const QUrl& url) {
            opened << url;
            return true;
        };
        f.bnPrint->PerformClick();
        QVERIFY(f.bnPrint->IsPopupOpen());
        f.bnPrint->PopupWindow()->ItemButton(1)->PerformClick();
        QTRY_VERIFY2(opened.size() == 1, qPrintable(rig.Operator.Texts().join(" / ")));
        QCOMPARE(opened[0], QUrl::fromLocalFile(rig.Data(QStringLiteral("Four.html"))));
        QVERIFY(ReadBytes(rig.Data(QStringLiteral("Four.html"))).contains("<html"));
        QVERIFY(!f.isVisible());
    }

    // New proposes "New QEL 8624.xml" in the data folder; over an existing test the touch dialog
    // asks, the standard dialog's name is asked about in the file manager's own words.
    void newOverAnExistingTest_data() {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch dialogs") << true;
        QTest::newRow("standard dialogs") << false;
    }
    void newOverAnExistingTest() {
        QFETCH(bool, touch);
        TRig rig;
        rig.Create(touch);
        TFileManager& f = *rig.Form;
        const QString test = rig.Data(QStringLiteral("New QEL 8624.xml"));
        QVERIFY(rig.ConfirmedTest(test, QStringLiteral("first test")));
        const QByteArray before = ReadBytes(test);
        rig.Operator.Entries.clear();
        for (TAnswer answer : {TAnswer::Cancel, TAnswer::Ok}) {
            rig.Operator.Answers = {answer};
            f.bnNewTestClick();
            QDialog* dlg = f.FileDialog();
            QVERIFY(dlg && dlg->isVisible());
            if (touch) {
                QVERIFY(dlg == f.SaveDialog());
                QCOMPARE(f.SaveDialog()->FileName(), test);
                QCOMPARE(dlg->windowTitle(), QStringLiteral("Save File As"));
                f.SaveDialog()->bnOpenClick();
            } else {
                auto* standard = qobject_cast<QFileDialog*>(dlg);
                QVERIFY(standard);
                QCOMPARE(standard->windowTitle(), QStringLiteral("New Test File"));
                standard->selectFile(test);
                static_cast<QDialog*>(standard)->accept(); // QFileDialog::accept checks the name
            }
            QVERIFY(rig.Operator.Entries.last().Text.startsWith(
                QStringLiteral("File \"%1\" already exists").arg(test)));
            if (answer == TAnswer::Cancel) {
                QCOMPARE(ReadBytes(test), before);
                if (touch) // the dialog stays for another name
                    f.SaveDialog()->reject();
                QVERIFY(f.isVisible());
            }
        }
        QTRY_VERIFY(!f.isVisible());
        QCOMPARE(TTestFilesRig::LocationIn(test), QString());
        QCOMPARE(rig.Files->CurrentFile(), test);
    }

    // A test on removable media is copied to the working folder before it is opened; a copy there
    // already is replaced only on OK, else the operator names another or the copy opens as it is.
    void loadFromRemovableMedia() {
        TRig rig;
        rig.Create(true);
        TFileManager& f = *rig.Form;
        const QString onStick = rig.Stick(QStringLiteral("Field test.xml"));
        {
            TKvXML doc;
            doc.DUTGeneral().Location().SetValue(QStringLiteral("from the stick"));
            QVERIFY(doc.Save(onStick, true, false));
        }
        const QByteArray stickBytes = ReadBytes(onStick);
        const QString copy = rig.Global->WorkingFolder + QStringLiteral("Field test.xml");
        auto load = [&] {
            f.Execute();
            f.bnLoadClick();
            QCOMPARE(f.FileDialog(), f.OpenDialog());
            QCOMPARE(f.OpenDialog()->windowTitle(), QStringLiteral("Load File"));
            f.OpenDialog()->SetFileName(onStick);
            f.OpenDialog()->bnOpenClick();
        };
        load();
        QCOMPARE(rig.Files->CurrentFile(), copy);
        QCOMPARE(rig.Location(), QStringLiteral("from the stick"));
        QCOMPARE(ReadBytes(onStick), stickBytes);
        QVERIFY(rig.Operator.Entries.isEmpty());
        QVERIFY(!f.isVisible());

        QVERIFY(rig.Change(QStringLiteral("worked on")));
        rig.Operator.Answers = {TAnswer::Yes, TAnswer::Cancel}; // save the work; keep the copy
        load();
        QCOMPARE(rig.Operator.Entries.size(), 2);
        QCOMPARE(rig.Operator.Entries[1].Text,
                 QStringLiteral("File \"%1\" already exists\r\nDo you want to replace it ?").arg(copy));
        QCOMPARE(f.FileDialog(), f.SaveDialog());
        QCOMPARE(f.SaveDialog()->FileName(), copy);
        f.SaveDialog()->reject();
        QCOMPARE(rig.Files->CurrentFile(), copy);
        QCOMPARE(rig.Location(), QStringLiteral("worked on"));
        QCOMPARE(ReadBytes(onStick), stickBytes);
    }

    // After a killed run the confirmed copy is still there: the recent-test button offers to
    // restore what was saved after it ("Yes") or to go back to the confirmed state ("No").
    void killedRunOffersToRestore_data() {
        QTest::addColumn<TAnswer>("answer");
        QTest::addColumn<QString>("location");
        QTest::newRow("Yes restores") << TAnswer::Yes << "unconfirmed";
        QTest::newRow("No goes back") << TAnswer::No << "confirmed";
    }
    void killedRunOffersToRestore() {
        QFETCH(TAnswer, answer);
        QFETCH(QString, location);
        TRig rig;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--edit-and-wait"), rig.App.path()});
        QVERIFY(child.waitForStarted(30000));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).contains("changed") ||
                                     child.state() == QProcess::NotRunning,
                                 100000);
        QVERIFY2(child.state() == QProcess::Running, child.readAllStandardError().constData());
        child.kill();
        QVERIFY(child.waitForFinished(30000));

        rig.Create(true);
        TFileManager& f = *rig.Form;
        const QString test = rig.Data(QStringLiteral("Killed.xml"));
        QVERIFY(rig.Files->HasMarker(test));
        QCOMPARE(f.bnHis1->Caption(), QStringLiteral("/../Killed"));
        rig.Operator.Answers = {answer};
        f.bnHis1->PerformClick();
        QCOMPARE(
            rig.Operator.Texts(),
            QStringList{QStringLiteral(" The file \r\n\"%1\"\r\n was not saved before.\r\n Do you want to "
                                       "restore the file?")
                            .arg(test)});
        QCOMPARE(rig.Files->CurrentFile(), test);
        QCOMPARE(rig.Location(), location);
        QVERIFY(!rig.Files->HasMarker(test));
        QVERIFY(!f.isVisible());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--edit-and-wait") == 0)
        return EditAndWait(QString::fromLocal8Bit(argv[2]));
    TstFileManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filemanager.moc"
