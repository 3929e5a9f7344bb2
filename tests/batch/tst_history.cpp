// index, history and sync of qel8625-batch run as the program it is, on test files in temporary
// folders and against a PostgreSQL server started for the test: a transformer's tests oldest
// first with their worst deviations, indexing again changes nothing, a changed test is read
// again, a damaged index is made anew, and two test sets with folders of their own syncing at
// once each see the other's tests; a second sync sends nothing; a server that is gone is named
// and the tests wait.
#include <QTest>

#include "BatchArguments.h"
#include "BatchRig.h"
#include "CSVForm.h"
#include "HistoryTests.h"
#include "HistoryTexts.h"
#include "PostgresRig.h"

namespace {

QString IndexFile(const TBatchRig& rig) {
    return rig.Root.filePath(QStringLiteral("share/Application Software 8625/TestIndex.sqlite"));
}

bool WriteConfig(const TBatchRig& rig, const QString& text) {
    return WriteBytes(rig.ProgramFolder + QStringLiteral("/qel8625-batch.cfg"), text.toUtf8());
}

} // namespace

class TstHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void indexThenHistory() {
        TBatchRig rig;
        QVERIFY(rig.Install());
        const QString data = rig.Root.filePath(QStringLiteral("tests"));
        QVERIFY(WriteHistoryTest(data + "/b.xml", {.Date = QDate(2025, 4, 2)}));
        QVERIFY(WriteHistoryTest(data + "/a.xml", {.Date = QDate(2026, 1, 9), .Deviation = [](int tap, int p) {
                                                       return tap == 3 && p == 2 ? -0.91 : 0.1;
                                                   }}));
        QVERIFY(WriteHistoryTest(data + "/old/c.xml", {.Date = QDate(2019, 8, 20)}));
        QVERIFY(WriteHistoryTest(data + "/k.xml", {.SerialNo = QStringLiteral("K-1")}));
        QVERIFY(WriteBytes(data + "/cut.xml", "<?xml version=\"1.0\"?>\n<KovaDoc><QEL"));

        TBatchRun run = rig.Run({QStringLiteral("index"), data});
        QVERIFY(run.Finished);
        QCOMPARE(run.Status, int(bsFileFailed)); // the damaged one is named
        QCOMPARE(run.OutLines(), QStringList{"added 4, read again 0, unchanged 0, removed 0, unreadable 1"});
        QVERIFY2(run.Err.contains(data + "/cut.xml: unreadable: (2,"), qPrintable(run.Err));

        run = rig.Run({QStringLiteral("history"), QStringLiteral("T-4711")});
        QCOMPARE(run.Status, int(bsOk));
        QCOMPARE(run.OutLines(),
                 (QStringList{"2019-08-20 10:01:05  " + data + "/old/c.xml  0.25 % (HV T5:LV, tap 5, phase A)",
                              "2025-04-02 10:01:05  " + data + "/b.xml  0.25 % (HV T5:LV, tap 5, phase A)",
                              "2026-01-09 10:01:05  " + data + "/a.xml  -0.91 % (HV T3:LV, tap 3, phase C)"}));

        // Indexing again reads nothing; a test changed on disk is read again.
        run = rig.Run({QStringLiteral("index"), data});
        QCOMPARE(run.OutLines(), QStringList{"added 0, read again 0, unchanged 4, removed 0, unreadable 1"});
        QVERIFY(WriteHistoryTest(data + "/b.xml", {.Date = QDate(2025, 4, 2), .Deviation = [](int, int) {
                                                       return 1.75;
                                                   }}));
        QVERIFY(QFile::remove(data + "/k.xml"));
        run = rig.Run({QStringLiteral("index"), data});
        QCOMPARE(run.OutLines(), QStringList{"added 0, read again 1, unchanged 2, removed 1, unreadable 1"});

        // The CSV form, read back by the lists' own reader.
        run = rig.Run({QStringLiteral("history"), QStringLiteral("T-4711"), QStringLiteral("--csv")});
        QCOMPARE(run.Status, int(bsOk));
        const QStringList lines = run.OutLines();
        QCOMPARE(lines.size(), 4);
        const QChar sep = ListSeparator();
        QCOMPARE(CSVForm::SplitLine(lines[0], sep), HistoryTexts::CsvTitles());
        const QStringList b = CSVForm::SplitLine(lines[2], sep);
        QCOMPARE(b.value(1), data + "/b.xml");
        QCOMPARE(b.value(2), sep == u';' ? QStringLiteral("1,75") : QStringLiteral("1.75"));

        run = rig.Run({QStringLiteral("history"), QStringLiteral("Z-0")});
        QCOMPARE(run.Status, int(bsOk));
        QVERIFY(run.OutLines().isEmpty());
        QVERIFY2(run.Err.contains("no test of serial number \"Z-0\""), qPrintable(run.Err));

        // A damaged index is made again, and said so.
        QVERIFY(WriteBytes(IndexFile(rig), QByteArray("no database at all\n").repeated(300)));
        QFile::remove(IndexFile(rig) + "-wal");
        QFile::remove(IndexFile(rig) + "-shm");
        run = rig.Run({QStringLiteral("index"), data});
        QVERIFY2(run.Err.contains("the test index was damaged"), qPrintable(run.Err));
        QCOMPARE(run.OutLines(), QStringList{"added 3, read again 0, unchanged 0, removed 0, unreadable 1"});
    }

    void twoTestSetsSyncToOneServer() {
        TPostgresRig server;
        QVERIFY2(server.Ok(), qPrintable(server.Error));
        TBatchRig north, south;
        QVERIFY(north.Install());
        QVERIFY(south.Install());
        const QString nd = north.Root.filePath(QStringLiteral("tests"));
        const QString sd = south.Root.filePath(QStringLiteral("tests"));
        QVERIFY(WriteHistoryTest(nd + "/n1.xml", {.Date = QDate(2024, 2, 1)}));
        QVERIFY(WriteHistoryTest(nd + "/n2.xml", {.Date = QDate(2026, 2, 1)}));
        QVERIFY(WriteHistoryTest(sd + "/s1.xml", {.Date = QDate(2025, 2, 1)}));
        for (TBatchRig* rig : {&north, &south}) {
            QVERIFY(WriteConfig(*rig, server.FleetSection()));
            QCOMPARE(rig->Run({QStringLiteral("index"), rig == &north ? nd : sd}).Status, int(bsOk));
        }
        // Both at once.
        std::unique_ptr<QProcess> a(north.Start({QStringLiteral("sync")}));
        std::unique_ptr<QProcess> b(south.Start({QStringLiteral("sync")}));
        const TBatchRun ra = TBatchRig::Finish(*a);
        const TBatchRun rb = TBatchRig::Finish(*b);
        QVERIFY2(ra.Status == bsOk, qPrintable(ra.Err));
        QVERIFY2(rb.Status == bsOk, qPrintable(rb.Err));
        QVERIFY2(ra.OutLines().value(0).startsWith("sent 2, already there 0, received "), ra.Out.constData());
        QVERIFY2(rb.OutLines().value(0).startsWith("sent 1, already there 0, received "), rb.Out.constData());
        // A second sync sends nothing, and each now has the other's tests.
        for (TBatchRig* rig : {&north, &south}) {
            const TBatchRun again = rig->Run({QStringLiteral("sync")});
            QCOMPARE(again.Status, int(bsOk));
            QVERIFY2(again.OutLines().value(0).startsWith("sent 0, already there 0, received "), again.Out.constData());
            QVERIFY2(again.OutLines().value(0).endsWith(", waiting 0"), again.Out.constData());
            const TBatchRun h = rig->Run({QStringLiteral("history"), QStringLiteral("T-4711")});
            const QStringList lines = h.OutLines();
            QCOMPARE(lines.size(), 3);
            QVERIFY2(lines[0].startsWith("2024-02-01") && lines[1].startsWith("2025-02-01") &&
                         lines[2].startsWith("2026-02-01"),
                     h.Out.constData());
            QCOMPARE(lines[1].contains("[test set "), rig == &north);
            QCOMPARE(lines[0].contains("[test set "), rig == &south);
        }

        // The server goes away: named, the new test waits, nothing local changes.
        QVERIFY(WriteHistoryTest(sd + "/s2.xml", {.Date = QDate(2026, 5, 1)}));
        const QByteArray s2 = ReadBytes(sd + "/s2.xml");
        QCOMPARE(south.Run({QStringLiteral("index"), sd}).Status, int(bsOk));
        QVERIFY(server.Stop());
        TBatchRun off = south.Run({QStringLiteral("sync")});
        QCOMPARE(off.Status, int(bsFleet));
        QVERIFY2(off.Err.contains("the fleet store is not reached: 127.0.0.1:"), qPrintable(off.Err));
        QVERIFY2(off.Err.contains("1 test(s) wait for the next sync"), qPrintable(off.Err));
        QCOMPARE(ReadBytes(sd + "/s2.xml"), s2);
        QVERIFY2(server.Start(), qPrintable(server.Error));
        off = south.Run({QStringLiteral("sync")});
        QCOMPARE(off.Status, int(bsOk));
        QVERIFY2(off.OutLines().value(0).startsWith("sent 1,"), off.Out.constData());

        // Without a fleet set up, and with a password in the configuration text.
        QVERIFY(WriteConfig(north, QStringLiteral("[Fleet]\r\nPassword=secret\r\n")));
        const TBatchRun none = north.Run({QStringLiteral("sync")});
        QCOMPARE(none.Status, int(bsFleet));
        QVERIFY2(none.Err.contains("the key Password of [Fleet] is not used"), qPrintable(none.Err));
        QVERIFY2(none.Err.contains("no fleet store is set up"), qPrintable(none.Err));
    }
};

QTEST_GUILESS_MAIN(TstHistory)
#include "tst_history.moc"
