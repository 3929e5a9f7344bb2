// The test index on real test files in temporary folders: a transformer's tests oldest first with
// their worst deviation, indexing again changes nothing, a changed, a touched, a removed and an
// unreadable test, a damaged and an older index file, and the dates of the results.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "HistoryTests.h"
#include "IndexSchema.h"
#include "TestDirs.h"
#include "TestIndex.h"
#include "TestSummary.h"

#include <cmath>

class TstIndex : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString Folder() const { return FDir.filePath(QStringLiteral("Data")); }
    QString IndexFile() const { return FDir.filePath(QStringLiteral("index/TestIndex.sqlite")); }

    // Three tests of T-4711 written out of date order, one of another transformer, one damaged.
    void WriteFleet() {
        QVERIFY(WriteHistoryTest(Folder() + "/2025 spring.xml", {.Date = QDate(2025, 4, 2)}));
        QVERIFY(WriteHistoryTest(Folder() + "/sub/2024.xml",
                                 {.Date = QDate(2024, 11, 30), .Deviation = [](int tap, int p) {
                                      return tap == 2 && p == 1 ? -1.37 : 0.1;
                                  }}));
        QVERIFY(WriteHistoryTest(Folder() + "/2026.xml", {.Date = QDate(2026, 1, 9)}));
        QVERIFY(WriteHistoryTest(Folder() + "/other.xml", {.SerialNo = QStringLiteral("K-1")}));
        QVERIFY(WriteBytes(Folder() + "/cut.xml", "<?xml version=\"1.0\"?>\n<KovaDoc><DUTGeneral><Type Value=\"x\""));
        QVERIFY(WriteBytes(Folder() + "/list.xml", "<?xml version=\"1.0\"?>\n<Playlist/>"));
        // Backups and confirmed copies are no tests of their own.
        QVERIFY(QFile::copy(Folder() + "/2026.xml", Folder() + "/2026.~xml"));
        QVERIFY(QFile::copy(Folder() + "/2026.xml", Folder() + "/2026.xml.save"));
    }

private Q_SLOTS:
    void init() { QDir(FDir.path()).removeRecursively(); QDir().mkpath(FDir.path()); }

    void historyOldestFirstAndIndexingAgainChangesNothing() {
        WriteFleet();
        TTestIndex index;
        const TTestIndex::TOpenResult opened = index.Open(IndexFile());
        QVERIFY2(opened.Ok && !opened.Rebuilt, qPrintable(opened.Error));
        TIndexOutcome o = index.IndexFolders({Folder()});
        QVERIFY2(o.Ok(), qPrintable(o.Error));
        QCOMPARE(o.Added, 4);
        QCOMPARE(o.Unreadable.size(), 2);
        QStringList unreadable;
        for (const TUnreadableTest& u : o.Unreadable)
            unreadable << QFileInfo(u.Path).fileName() + ": " + u.Reason;
        unreadable.sort();
        QVERIFY2(unreadable[0].startsWith("cut.xml: (2,"), qPrintable(unreadable[0]));
        QVERIFY2(unreadable[1].contains("list.xml: no test document") && unreadable[1].contains("Playlist"),
                 qPrintable(unreadable[1]));

        const QList<THistoryEntry> h = index.History(QStringLiteral("t-4711"), {}, true);
        QStringList files;
        for (const THistoryEntry& e : h)
            files << QFileInfo(e.Path).fileName();
        QCOMPARE(files, (QStringList{"2024.xml", "2025 spring.xml", "2026.xml"}));
        QCOMPARE(h[0].TestDate, QDateTime(QDate(2024, 11, 30), QTime(10, 1, 5)));
        QCOMPARE(h[0].WorstDeviation, -1.37);
        QCOMPARE(h[0].WorstPair, QStringLiteral("HV T2:LV"));
        QCOMPARE(h[0].WorstTap, QStringLiteral("2"));
        QCOMPARE(h[0].WorstPhase, QStringLiteral("B"));
        QCOMPARE(h[2].WorstDeviation, 0.25); // tap 5, phase A
        QCOMPARE(h[1].Rows, 15);
        QCOMPARE(h[1].Results.size(), 15);
        QCOMPARE(h[1].Results[4].Phase, QStringLiteral("B"));
        QCOMPARE(h[1].Results[4].RatioDeviation, 0.08);
        QVERIFY(index.History(QStringLiteral("T-4711"), QStringLiteral("ONAF 63 MVA")).isEmpty());
        QVERIFY(index.History(QStringLiteral("  ")).isEmpty());

        // Again: nothing read, nothing changed; the unreadable ones are still named.
        o = index.IndexFolders({Folder()});
        QCOMPARE(o.Added + o.Updated + o.Removed, 0);
        QCOMPARE(o.Unchanged, 4);
        QCOMPARE(o.Unreadable.size(), 2);
        QCOMPARE(index.Unreadable().size(), 2);
    }

    void changedTouchedRemovedAndMendedTests() {
        WriteFleet();
        TTestIndex index;
        QVERIFY(index.Open(IndexFile()).Ok);
        index.IndexFolders({Folder()});
        // Changed: read again. Touched only: its content is the same. Removed: it leaves.
        QVERIFY(WriteHistoryTest(Folder() + "/2026.xml", {.Date = QDate(2026, 1, 9), .Deviation = [](int, int) {
                                                                return 2.5;
                                                            }}));
        QFile touched(Folder() + "/2025 spring.xml");
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime));
        touched.close();
        QVERIFY(QFile::remove(Folder() + "/other.xml"));
        QVERIFY(WriteHistoryTest(Folder() + "/cut.xml", {.Date = QDate(2023, 6, 1)}));
        const TIndexOutcome o = index.IndexFolders({Folder()});
        QCOMPARE(o.Updated, 1);
        QCOMPARE(o.Added, 1); // the mended one
        QCOMPARE(o.Removed, 1);
        QCOMPARE(o.Unchanged, 2);
        QCOMPARE(o.Unreadable.size(), 1);
        const QList<THistoryEntry> h = index.History(QStringLiteral("T-4711"));
        QCOMPARE(h.size(), 4);
        QCOMPARE(QFileInfo(h.front().Path).fileName(), QStringLiteral("cut.xml"));
        QCOMPARE(h.back().WorstDeviation, 2.5);
        QVERIFY(index.History(QStringLiteral("K-1")).isEmpty());

        // One file after a save, and a file that went.
        QVERIFY(WriteHistoryTest(Folder() + "/2026.xml", {.Date = QDate(2026, 1, 9)}));
        QCOMPARE(index.IndexFile(Folder() + "/2026.xml").Updated, 1);
        QCOMPARE(index.Test(Folder() + "/2026.xml")->WorstDeviation, 0.25);
        QVERIFY(QFile::remove(Folder() + "/2026.xml"));
        QCOMPARE(index.IndexFile(Folder() + "/2026.xml").Removed, 1);
        QVERIFY(!index.Test(Folder() + "/2026.xml"));
    }

    void damagedIndexIsMadeAgain_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not a database") << QByteArray("these are no pages of a database\n").repeated(200);
        QTest::newRow("empty header") << QByteArray(4096, '\0');
        QTest::newRow("cut off") << QByteArray();
    }
    void damagedIndexIsMadeAgain() {
        QFETCH(QByteArray, bytes);
        WriteFleet();
        if (bytes.isEmpty()) {
            // A real index cut in the middle.
            {
                TTestIndex index;
                QVERIFY(index.Open(IndexFile()).Ok);
                index.IndexFolders({Folder()});
            }
            const QByteArray whole = ReadBytes(IndexFile());
            QVERIFY(whole.size() > 8192);
            bytes = whole.left(whole.size() / 2);
            bytes.replace(100, 200, QByteArray(200, '\x7f'));
            QFile::remove(IndexFile() + "-wal");
        }
        QVERIFY(QDir().mkpath(QFileInfo(IndexFile()).path()));
        QVERIFY(WriteBytes(IndexFile(), bytes));
        TTestIndex index;
        const TTestIndex::TOpenResult r = index.Open(IndexFile());
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QVERIFY(r.Rebuilt);
        QVERIFY(!r.Reason.isEmpty());
        QCOMPARE(ReadBytes(r.KeptAs), bytes);
        QCOMPARE(index.TestCount(), 0);
        QCOMPARE(index.IndexFolders({Folder()}).Added, 4);
        QCOMPARE(index.History(QStringLiteral("T-4711")).size(), 3);
    }

    void olderLayoutIsBroughtUpToDate() {
        QVERIFY(QDir().mkpath(QFileInfo(IndexFile()).path()));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
            db.setDatabaseName(IndexFile());
            QVERIFY(db.open());
            QString error;
            QVERIFY2(IndexSchema::Migrate(db, 1, &error), qPrintable(error));
            QSqlQuery q(db);
            QVERIFY(q.exec("INSERT INTO tests (path, hash, modified, size, serial, type, sort_key, rows, worst_dev) "
                           "VALUES ('/gone/old.xml', 'ab', 1, 2, 'T-4711', 'ONAN', '2020-01-01T00:00:00.000', 3, 0.5)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v1"));
        TTestIndex index;
        const TTestIndex::TOpenResult r = index.Open(IndexFile());
        QVERIFY(r.Ok && !r.Rebuilt);
        const QList<THistoryEntry> h = index.History(QStringLiteral("T-4711"));
        QCOMPARE(h.size(), 1);
        QCOMPARE(h[0].WorstDeviation, 0.5);
        // The rows of the new versions are there: nothing of it was sent yet, and it has no verdict.
        QCOMPARE(index.Unsynced().size(), 1);
        QVERIFY(index.Unsynced()[0].Verdict.isEmpty());
    }

    void indexOfANewerProgramIsKeptAside() {
        QVERIFY(QDir().mkpath(QFileInfo(IndexFile()).path()));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v9"));
            db.setDatabaseName(IndexFile());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = %1").arg(IndexSchema::CurrentVersion + 1)));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v9"));
        TTestIndex index;
        const TTestIndex::TOpenResult r = index.Open(IndexFile());
        QVERIFY(r.Ok && r.Rebuilt);
        QVERIFY2(r.Reason.contains("knows up to"), qPrintable(r.Reason));
        QVERIFY(QFileInfo::exists(r.KeptAs));
    }

    void resultTimes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime t(QDate(2026, 3, 14), QTime(15, 21, 5));
        QTest::newRow("document patterns") << "14.03.2026 15:21:05" << "dd.mm.yyyy" << "hh:nn:ss" << t;
        QTest::newRow("month first, am/pm") << "03/14/2026 03:21:05 pm" << "mm/dd/yyyy" << "hh:nn:ss am/pm" << t;
        QTest::newRow("date alone") << "14.03.2026" << "dd.mm.yyyy" << "hh:nn:ss" << QDateTime(QDate(2026, 3, 14), QTime(0, 0));
        QTest::newRow("ISO") << "2026-03-14T15:21:05" << "dd.mm.yyyy" << "hh:nn:ss" << t;
        QTest::newRow("no date") << "yesterday" << "dd.mm.yyyy" << "hh:nn:ss" << QDateTime();
        QTest::newRow("blank") << "  " << "dd.mm.yyyy" << "hh:nn:ss" << QDateTime();
    }
    void resultTimes() {
        QFETCH(QString, text);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QDateTime, expected);
        QCOMPARE(ReadResultTime(text, date, time), expected);
    }

    void testWithoutDatesSortsByItsFileTime() {
        QVERIFY(WriteTableTest(Folder() + "/undated.xml", SampleMeasurementTitles(),
                               {{"no time", "A", "HV:LV", "", "", "1", "", "", "", "0.3 %"}}));
        TTestIndex index;
        QVERIFY(index.Open(IndexFile()).Ok);
        index.IndexFolders({Folder()});
        const std::optional<TIndexedTest> t = index.Test(Folder() + "/undated.xml");
        QVERIFY(t);
        QVERIFY(!t->TestDate.isValid());
        QCOMPARE(t->TestDateText, QStringLiteral("no time"));
        QCOMPARE(t->WorstDeviation, 0.3);
        QVERIFY(t->SerialNo.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstIndex)
#include "tst_index.moc"
