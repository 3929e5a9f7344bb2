// The test files of a run on real files: the unsaved-changes answers, new tests and tests from
// templates, Save As, the fall-backs to the rolling backup and the recent tests. What the operator
// is asked and told is recorded; removable media are folders the rig names.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "TestFilesRig.h"

using TAnswer = TOperatorIFace::TAnswer;

namespace {

const QString SUnsavedEnd = QStringLiteral("\"\r\n\r\nis not saved.\r\n\r\nDo you want to save it now?");

bool Contains(const TRecordingOperator& op, const QString& part) {
    for (const QString& t : op.Texts())
        if (t.contains(part))
            return true;
    return false;
}

} // namespace

class TstTestFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // "No" puts the test back byte for byte at its last confirmed save, "Yes" saves it, "Cancel"
    // changes nothing; the marker goes only with a decision.
    void unsavedChangesAnswers_data() {
        QTest::addColumn<TAnswer>("answer");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("onDisk");
        QTest::addColumn<QString>("inMemory");
        QTest::addColumn<bool>("marker");
        QTest::newRow("Yes saves") << TAnswer::Yes << TQelTestFiles::mrYes << "changed"
                                   << "changed" << false;
        QTest::newRow("No discards") << TAnswer::No << TQelTestFiles::mrNo << "confirmed"
                                     << "confirmed" << false;
        QTest::newRow("Cancel keeps") << TAnswer::Cancel << TQelTestFiles::mrCancel << "changed"
                                      << "changed" << true;
    }
    void unsavedChangesAnswers() {
        QFETCH(TAnswer, answer);
        QFETCH(int, result);
        QFETCH(QString, onDisk);
        QFETCH(QString, inMemory);
        QFETCH(bool, marker);
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString test = rig.Data(QStringLiteral("Trafo 1.xml"));
        QCOMPARE(rig.Files->CheckUnsavedChanges(), TQelTestFiles::mrNone);
        QVERIFY(rig.ConfirmedTest(test, QStringLiteral("confirmed")));
        const QByteArray confirmed = ReadBytes(test);
        QCOMPARE(rig.Files->CheckUnsavedChanges(), TQelTestFiles::mrNone); // nothing pending: no question
        QVERIFY(rig.Operator.Entries.isEmpty());

        QVERIFY(rig.Change(QStringLiteral("changed")));
        QCOMPARE(ReadBytes(rig.Files->MarkerOf(test)), confirmed);
        const QByteArray changed = ReadBytes(test);
        rig.Operator.Answers = {answer};
        QCOMPARE(rig.Files->CheckUnsavedChanges(), result);
        QCOMPARE(rig.Operator.Entries.size(), 1);
        QCOMPARE(rig.Operator.Entries[0].Buttons, TOperatorIFace::TButtons::YesNoCancel);
        QCOMPARE(rig.Operator.Entries[0].Title, rig.Global->ConfigSection);
        QCOMPARE(rig.Operator.Entries[0].Text, QStringLiteral("The file \r\n\r\n\"") + test + SUnsavedEnd);
        QCOMPARE(TTestFilesRig::LocationIn(test), onDisk);
        QCOMPARE(rig.Location(), inMemory);
        QCOMPARE(rig.Files->HasMarker(test), marker);
        if (answer == TAnswer::No)
            QCOMPARE(ReadBytes(test), confirmed);
        if (answer == TAnswer::Cancel) {
            QCOMPARE(ReadBytes(test), changed);
            QCOMPARE(ReadBytes(rig.Files->MarkerOf(test)), confirmed);
        }
    }

    // A save or a discard that fails keeps the confirmed copy and stops the action: the failure
    // never looks like success. (A folder in the test file's place makes both fail.)
    void failedSaveOrDiscardKeepsTheMarker_data() {
        QTest::addColumn<TAnswer>("answer");
        QTest::newRow("Yes") << TAnswer::Yes;
        QTest::newRow("No") << TAnswer::No;
    }
    void failedSaveOrDiscardKeepsTheMarker() {
        QFETCH(TAnswer, answer);
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString test = rig.Data(QStringLiteral("Trafo 2.xml"));
        QVERIFY(rig.ConfirmedTest(test, QStringLiteral("confirmed")));
        const QByteArray confirmed = ReadBytes(test);
        QVERIFY(rig.Change(QStringLiteral("changed")));
        QVERIFY(QFile::remove(test));
        QVERIFY(QDir().mkpath(test + QStringLiteral("/inside")));
        rig.Operator.Answers = {answer};
        QCOMPARE(rig.Files->CheckUnsavedChanges(), TQelTestFiles::mrCancel);
        QCOMPARE(ReadBytes(rig.Files->MarkerOf(test)), confirmed);
        QCOMPARE(rig.Operator.Entries.size(), 2);
        QCOMPARE(rig.Operator.Entries[1].Kind, TOperatorIFace::TKind::Error);
        QVERIFY(!rig.Files->Confirm());
        QCOMPARE(ReadBytes(rig.Files->MarkerOf(test)), confirmed);
    }

    // The second New on a name in use asks first; replacing removes the old test's stale marker,
    // so a later "No" returns to the new test, not the old one.
    void newOverAnExistingTestAsks_data() {
        QTest::addColumn<TAnswer>("answer");
        QTest::newRow("Cancel") << TAnswer::Cancel;
        QTest::newRow("OK") << TAnswer::Ok;
    }
    void newOverAnExistingTestAsks() {
        QFETCH(TAnswer, answer);
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString test = rig.Data(QStringLiteral("New QEL 8624.xml"));
        QVERIFY(rig.ConfirmedTest(test, QStringLiteral("old")));
        QVERIFY(rig.Change(QStringLiteral("old, changed"))); // pending when the program went away
        QVERIFY(rig.Files->NewTest(rig.Data(QStringLiteral("Other.xml")), false));
        const QByteArray before = ReadBytes(test);
        rig.Operator.Entries.clear();
        rig.Operator.Answers = {answer};
        QCOMPARE(rig.Files->NewTest(test, false), answer == TAnswer::Ok);
        QCOMPARE(rig.Operator.Texts(),
                 QStringList{
                     QStringLiteral("File \"%1\" already exists\r\nDo you want to replace it ?").arg(test)});
        if (answer == TAnswer::Cancel) {
            QCOMPARE(ReadBytes(test), before);
            QVERIFY(rig.Files->HasMarker(test));
            QCOMPARE(rig.Files->CurrentFile(), rig.Data(QStringLiteral("Other.xml")));
            return;
        }
        QVERIFY(!rig.Files->HasMarker(test));
        QCOMPARE(rig.Files->CurrentFile(), test);
        QVERIFY(rig.Change(QStringLiteral("new, changed")));
        rig.Operator.Answers = {TAnswer::No};
        QCOMPARE(rig.Files->CheckUnsavedChanges(), TQelTestFiles::mrNo);
        QCOMPARE(TTestFilesRig::LocationIn(test), QString());
        QCOMPARE(rig.Files->LastFiles().File(0), test);
    }

    // Where only the rolling backup of a test is left, that backup is the test: a new test of the
    // name (whose first save would delete it) asks about it, even when the dialog saw no file.
    void onlyTheBackupLeftIsAskedAbout() {
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString test = rig.Data(QStringLiteral("Lost.xml"));
        const QString backup = rig.Global->Doc().RollingBackupName(test);
        QVERIFY(WriteBytes(backup, "the last copy"));
        for (TAnswer answer : {TAnswer::Cancel, TAnswer::Ok}) {
            rig.Operator.Answers = {answer, answer};
            QCOMPARE(rig.Files->NewTest(test, true), answer == TAnswer::Ok);
            QCOMPARE(rig.Operator.Entries.last().Text,
                     QStringLiteral("File \"%1\" already exists\r\nDo you want to replace it ?").arg(backup));
            if (answer == TAnswer::Cancel) {
                QCOMPARE(ReadBytes(backup), QByteArray("the last copy"));
                QVERIFY(!rig.Files->SaveAs(test, true));
                QCOMPARE(ReadBytes(backup), QByteArray("the last copy"));
            }
        }
        QCOMPARE(rig.Files->CurrentFile(), test);
    }

    void namesRefusedAndKept() {
        TTestFilesRig rig;
        rig.CreateFiles();
        QVERIFY(!rig.Files->NewTest(rig.Data(QStringLiteral("Two\nLines.xml")), true));
        QVERIFY(!rig.Files->NewTest(QStringLiteral("  "), true));
        QCOMPARE(rig.Operator.Entries.size(), 1); // the blank name stops without a word
        QVERIFY(!QFileInfo::exists(rig.Data(QStringLiteral("Two\nLines.xml"))));
        QCOMPARE(rig.Files->LastFiles().Count(), 0);
    }

    // The new test of a template takes the first free name.
    void templateNames_data() {
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<QStringList>("inData");
        QTest::addColumn<bool>("onStick");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << "Test.xml" << QStringList{} << false << "Data/Test.xml";
        QTest::newRow("Test, Test1 taken")
            << "Test.xml" << QStringList{"Test.xml", "Test1.xml"} << false << "Data/Test2.xml";
        QTest::newRow("Test9 gives Test10")
            << "Test9.xml" << QStringList{"Test9.xml"} << false << "Data/Test10.xml";
        QTest::newRow("width kept") << "Run007.xml" << QStringList{"Run007.xml"} << false
                                    << "Data/Run008.xml";
        QTest::newRow("a stale marker takes the name")
            << "Test.xml" << QStringList{"Test.xml.save"} << false << "Data/Test1.xml";
        QTest::newRow("from removable media") << "Test.xml" << QStringList{} << true << "Working/Test.xml";
    }
    void templateNames() {
        QFETCH(QString, templateName);
        QFETCH(QStringList, inData);
        QFETCH(bool, onStick);
        QFETCH(QString, expected);
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString folder = onStick ? rig.Stick() : rig.Global->TemplatesPath;
        const QString templateFile = WithSlash(folder) + templateName;
        TKvXML tmpl;
        tmpl.DUTGeneral().Location().SetValue(QStringLiteral("from the template"));
        QVERIFY(tmpl.Save(templateFile, true, false));
        for (const QString& f : inData)
            QVERIFY(WriteBytes(rig.Data(f), "taken"));
        const QString name = rig.Global->DocumentsFolder + QStringLiteral("KOVA/") + expected;
        QCOMPARE(rig.Files->TemplateTestName(templateFile), name);
        QVERIFY(rig.Files->NewFromTemplate(templateFile));
        QCOMPARE(rig.Files->CurrentFile(), name);
        QCOMPARE(TTestFilesRig::LocationIn(name), QStringLiteral("from the template"));
        QCOMPARE(rig.Files->LastFiles().File(0), name);
        for (const QString& f : inData)
            QCOMPARE(ReadBytes(rig.Data(f)), QByteArray("taken"));
    }

    // Save As onto another test asks first; on OK that test is replaced (its own marker goes),
    // the old test keeps its confirmed state and the logo and style sheet go beside the new one.
    void saveAsOverAnotherTestAsks_data() {
        QTest::addColumn<TAnswer>("answer");
        QTest::newRow("Cancel") << TAnswer::Cancel;
        QTest::newRow("OK") << TAnswer::Ok;
    }
    void saveAsOverAnotherTestAsks() {
        QFETCH(TAnswer, answer);
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString other = rig.Data(QStringLiteral("Elsewhere/B.xml"));
        QVERIFY(QDir().mkpath(QFileInfo(other).path()));
        QVERIFY(rig.ConfirmedTest(other, QStringLiteral("b confirmed")));
        QVERIFY(rig.Change(QStringLiteral("b changed")));
        const QString test = rig.Data(QStringLiteral("A.xml"));
        QVERIFY(rig.ConfirmedTest(test, QStringLiteral("a confirmed")));
        QVERIFY(rig.Change(QStringLiteral("a changed")));
        const QByteArray otherBefore = ReadBytes(other), otherMarker = ReadBytes(rig.Files->MarkerOf(other));
        rig.Operator.Entries.clear();
        rig.Operator.Answers = {answer};
        QCOMPARE(rig.Files->SaveAs(other, false), answer == TAnswer::Ok);
        QCOMPARE(rig.Operator.Entries.size(), 1);
        QVERIFY(
            rig.Operator.Entries[0].Text.startsWith(QStringLiteral("File \"%1\" already exists").arg(other)));
        if (answer == TAnswer::Cancel) {
            QCOMPARE(ReadBytes(other), otherBefore);
            QCOMPARE(ReadBytes(rig.Files->MarkerOf(other)), otherMarker);
            QCOMPARE(rig.Files->CurrentFile(), test);
            QVERIFY(rig.Files->HasMarker(test));
            return;
        }
        QCOMPARE(rig.Files->CurrentFile(), other);
        QCOMPARE(TTestFilesRig::LocationIn(other), QStringLiteral("a changed"));
        QVERIFY(!rig.Files->HasMarker(other));
        QCOMPARE(TTestFilesRig::LocationIn(test), QStringLiteral("a confirmed"));
        QVERIFY(!rig.Files->HasMarker(test));
        for (const char* name : {"KovaDoc.xsl", "company.jpg"})
            QCOMPARE(ReadBytes(QFileInfo(other).path() + '/' + name), ReadBytes(rig.App.filePath(name)));
        QCOMPARE(rig.Files->LastFiles().Files(), (QStringList{other, test}));
        QCOMPARE(rig.Files->CheckUnsavedChanges(), TQelTestFiles::mrNone);
    }

    // On removable media the copy is written and the test keeps its name.
    void saveAsOnRemovableMediaKeepsTheName() {
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString test = rig.Data(QStringLiteral("A.xml"));
        QVERIFY(rig.ConfirmedTest(test, QStringLiteral("a")));
        QVERIFY(rig.Change(QStringLiteral("a changed")));
        rig.Operator.Entries.clear();
        const QString copy = rig.Stick(QStringLiteral("A copy.xml"));
        QVERIFY(rig.Files->SaveAs(copy, false));
        QCOMPARE(TTestFilesRig::LocationIn(copy), QStringLiteral("a changed"));
        QCOMPARE(rig.Files->CurrentFile(), test);
        QCOMPARE(rig.Operator.Texts(),
                 QStringList{QStringLiteral(
                     "Disk: \"/media/stick\" is a removable Disk\r\nFileName will not changed")});
        QCOMPARE(rig.Files->LastFiles().Files(), QStringList{test});
        QVERIFY(QFileInfo::exists(rig.Stick(QStringLiteral("KovaDoc.xsl"))));
    }

    // A test file that no longer reads while its backup does is offered from the backup; the
    // damaged file is kept aside and never written over. A file that does not read at all leaves
    // the document open as it was, under its own name.
    void openFallsBackToTheBackup_data() {
        QTest::addColumn<QString>("file"); // "damaged", "missing"
        QTest::addColumn<bool>("backup");
        QTest::addColumn<TAnswer>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("damaged, backup, Yes") << "damaged" << true << TAnswer::Yes << true;
        QTest::newRow("damaged, backup, No") << "damaged" << true << TAnswer::No << false;
        QTest::newRow("damaged, no backup") << "damaged" << false << TAnswer::Ok << false;
        QTest::newRow("missing, backup") << "missing" << true << TAnswer::Ok << true;
        QTest::newRow("missing, no backup") << "missing" << false << TAnswer::Ok << false;
    }
    void openFallsBackToTheBackup() {
        QFETCH(QString, file);
        QFETCH(bool, backup);
        QFETCH(TAnswer, answer);
        QFETCH(bool, opened);
        TTestFilesRig rig;
        rig.CreateFiles();
        const QString test = rig.Data(QStringLiteral("T.xml"));
        QVERIFY(rig.ConfirmedTest(test, QStringLiteral("first"))); // the backup holds "first" as well
        const QString backupName = rig.Global->Doc().RollingBackupName(test);
        if (!backup)
            QVERIFY(QFile::remove(backupName));
        const QByteArray damaged("<?xml version=\"1.0\"?>\n<KovaDoc><DUTGeneral>\n");
        if (file == "damaged")
            QVERIFY(WriteBytes(test, damaged));
        else
            QVERIFY(QFile::remove(test));
        const QString current = rig.Data(QStringLiteral("Current.xml"));
        QVERIFY(rig.ConfirmedTest(current, QStringLiteral("current")));
        rig.Operator.Entries.clear();
        rig.Operator.Answers = {answer};

        QCOMPARE(rig.Files->OpenTest(test), opened);
        QCOMPARE(rig.Operator.Entries.size(), 1);
        const QString told = rig.Operator.Entries[0].Text;
        const QStringList kept = QDir(rig.Global->DataPath).entryList({QStringLiteral("T *.xml")});
        if (!opened) {
            QCOMPARE(rig.Files->CurrentFile(), current);
            QCOMPARE(rig.Location(), QStringLiteral("current"));
            if (answer != TAnswer::No)
                QVERIFY2(told.startsWith(QStringLiteral("Not possible to load\r\n") + test),
                         qPrintable(told));
            if (file == "damaged")
                QCOMPARE(ReadBytes(test), damaged);
            QVERIFY(kept.isEmpty());
            return;
        }
        QCOMPARE(rig.Files->CurrentFile(), test);
        QCOMPARE(rig.Location(), QStringLiteral("first"));
        QVERIFY2(told.contains(backupName), qPrintable(told));
        if (file == "damaged") {
            QCOMPARE(rig.Operator.Entries[0].Kind, TOperatorIFace::TKind::Confirmation);
            QCOMPARE(kept.size(), 1);
            QVERIFY2(told.contains(rig.Data(kept[0])), qPrintable(told));
            QCOMPARE(ReadBytes(rig.Data(kept[0])), damaged);
        }
        QVERIFY(rig.Change(QStringLiteral("third")));
        QCOMPARE(TTestFilesRig::LocationIn(test), QStringLiteral("third"));
        if (file == "damaged")
            QCOMPARE(ReadBytes(rig.Data(kept[0])), damaged);
    }

    // "LastFiles.cfg" holds four names at most, one a line, most recent first; blank lines and
    // second spellings of a test are skipped when it is read; the form shows three.
    void recentTests() {
        TTestFilesRig rig;
        rig.CreateFiles();
        QStringList tests;
        for (int i = 1; i <= 6; ++i) {
            tests.prepend(rig.Data(QStringLiteral("Test %1.xml").arg(i)));
            QVERIFY(rig.Files->NewTest(tests.first(), false));
        }
        const QString cfg = rig.App.filePath(QStringLiteral("LastFiles.cfg"));
        QCOMPARE(QString::fromUtf8(ReadBytes(cfg)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
                 tests.mid(0, 4));
        // Reopening a listed test moves it to the top without losing another.
        QVERIFY(rig.Files->OpenRecent(2));
        QCOMPARE(rig.Files->LastFiles().Files(), (QStringList{tests[2], tests[0], tests[1]}));
        QVERIFY(!rig.Files->OpenRecent(3)); // not shown, not opened

        QVERIFY(WriteBytes(
            cfg, (QStringList{QString(), tests[4], QStringLiteral("  "),
                              rig.Global->DataPath + QStringLiteral("./Test 2.xml"), tests[5], QString()})
                     .join(QStringLiteral("\r\n"))
                     .toUtf8()));
        rig.RestartFiles();
        QCOMPARE(rig.Files->LastFiles().Files(), (QStringList{tests[4], tests[5]}));
    }

    // A test the start-up kept under a name of its own is among the recent tests and opens there.
    void keptDefaultDocumentIsAmongTheRecentTests() {
        TTestFilesRig rig;
        rig.CreateFiles();
        QVERIFY(rig.Global->NewDefaultDocument());
        const auto grid = rig.Global->Doc().QEL().Measurement().Grid();
        grid.SetCell(0, 1, QStringLiteral("12:00:00"));
        grid.SetCell(3, 1, QStringLiteral("5.5012"));
        QVERIFY(rig.Global->DocumentChanged());
        rig.RestartFiles();
        QVERIFY(rig.Global->NewDefaultDocument());
        QCOMPARE(rig.Files->LastFiles().Count(), 1);
        const QString kept = rig.Files->LastFiles().File(0);
        QVERIFY2(QFileInfo(kept).fileName().startsWith(rig.Global->ConfigSection + ' '), qPrintable(kept));
        QVERIFY(rig.Files->OpenRecent(0));
        QCOMPARE(rig.Files->CurrentFile(), kept);
        QCOMPARE(rig.Global->Doc().QEL().Measurement().Grid().Cell(3, 1), QStringLiteral("5.5012"));
        QVERIFY(Contains(rig.Operator, kept));
    }
};

QTEST_GUILESS_MAIN(TstTestFiles)
#include "tst_testfiles.moc"
