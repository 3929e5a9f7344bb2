// The recent tests' list and the names of test files: short names of the buttons, names the list
// refuses, the list file's lines, and moving a file over another in one step.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "LastFiles.h"
#include "SafeFileWriter.h"
#include "TestDirs.h"

class TstLastFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shortNames_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shown");
        QTest::newRow("deep") << "/home/op/Documents/KOVA/Data/Transformer 12.xml"
                              << "/../Transformer 12";
        QTest::newRow("one folder") << "/data/T1.XML"
                                    << "/../T1";
        QTest::newRow("root") << "/T2.xml"
                              << "/T2";
        QTest::newRow("dots in the name") << "/a/b/Tap 1.5 kV.xml"
                                          << "/../Tap 1.5 kV";
    }
    void shortNames() {
        QFETCH(QString, file);
        QFETCH(QString, shown);
        QCOMPARE(TestFileNames::ShortName(file), shown);
    }

    void listKeepsFourAndRefusesLineEnds() {
        QTemporaryDir dir;
        TLastFiles list(dir.filePath(QStringLiteral("LastFiles.cfg")), dir.path());
        for (int i = 1; i <= 6; ++i)
            list.Update(dir.filePath(QStringLiteral("T%1.xml").arg(i)));
        QCOMPARE(list.Count(), 4);
        QCOMPARE(list.File(0), dir.filePath(QStringLiteral("T6.xml")));
        list.Update(dir.filePath(QStringLiteral("Bad\r\nName.xml")));
        list.Update(QStringLiteral(" "));
        QCOMPARE(list.Count(), 4);
        QCOMPARE(list.File(0), dir.filePath(QStringLiteral("T6.xml")));
        // Another spelling of a listed test moves it instead of adding it.
        list.Update(dir.path() + QStringLiteral("/sub/../T4.xml"));
        QCOMPARE(list.Files(),
                 (QStringList{dir.filePath(QStringLiteral("T4.xml")), dir.filePath(QStringLiteral("T6.xml")),
                              dir.filePath(QStringLiteral("T5.xml"))}));
        QVERIFY(list.Save());
        TLastFiles again(list.FileName(), dir.path());
        QVERIFY(again.Load());
        QCOMPARE(again.Files(), list.Files());
        // A hand-edited list: blank lines skipped, a relative name taken below the program's folder.
        QVERIFY(
            WriteBytes(list.FileName(), "\r\n  \r\nT1.xml\n\n\r" + dir.filePath("T2.xml").toUtf8() + "\r\n"));
        QVERIFY(again.Load());
        QCOMPARE(again.Files(), (QStringList{dir.filePath(QStringLiteral("T1.xml")),
                                             dir.filePath(QStringLiteral("T2.xml"))}));
    }

    // The confirmed copy goes over the test in one step; when it cannot, both stay.
    void moveFileOver() {
        QTemporaryDir dir;
        const QString test = dir.filePath(QStringLiteral("T.xml")), marker = test + QStringLiteral(".save");
        QVERIFY(WriteBytes(test, "changed") && WriteBytes(marker, "confirmed"));
        QVERIFY(MoveFileOver(marker, test, nullptr));
        QCOMPARE(ReadBytes(test), QByteArray("confirmed"));
        QVERIFY(!QFile::exists(marker));
        const QString folder = dir.filePath(QStringLiteral("F.xml"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")) && WriteBytes(marker, "confirmed"));
        QString error;
        QVERIFY(!MoveFileOver(marker, folder, &error));
        QVERIFY(error.contains(folder));
        QCOMPARE(ReadBytes(marker), QByteArray("confirmed"));
    }
};

QTEST_GUILESS_MAIN(TstLastFiles)
#include "tst_lastfiles.moc"
