// The fleet store on a real PostgreSQL server started for this test: two test sets with index
// folders of their own see each other's tests, a second sync sends nothing, a changed test is sent
// again, a sync cut off by a server that goes away resumes, an unreachable server, a wrong
// password, an older and a newer layout of the store. The test files are never touched.
#include <QTest>

#include "FleetStore.h"
#include "HistoryTests.h"
#include "PostgresRig.h"
#include "TestDirs.h"
#include "TestIndex.h"

namespace {

// One test set: its test files and its index in folders of their own.
struct TTestSet {
    QTemporaryDir Dir;
    TTestIndex Index;
    QString Data = Dir.filePath(QStringLiteral("Data"));

    TTestSet() { Index.Open(Dir.filePath(QStringLiteral("index/TestIndex.sqlite"))); }
    bool Write(const QString& name, const THistoryTest& t) { return WriteHistoryTest(Data + '/' + name, t); }
    void Refresh() { Index.IndexFolders({Data}); }
    QStringList History() const {
        QStringList lines;
        for (const THistoryEntry& e : Index.History(QStringLiteral("T-4711")))
            lines << QStringLiteral("%1 %2%3").arg(e.TestDate.date().toString(Qt::ISODate), QFileInfo(e.Path).fileName(),
                                                 e.Local() ? QString() : QStringLiteral(" (fleet)"));
        return lines;
    }
};

} // namespace

class TstFleet : public QObject {
    Q_OBJECT

    std::unique_ptr<TPostgresRig> FServer;
    int FDatabases = 0;

    // A database of its own for each case.
    TFleetSettings NewStore() {
        const QString name = QStringLiteral("fleet%1").arg(++FDatabases);
        const QString keep = FServer->Database;
        FServer->Database = QStringLiteral("postgres");
        if (!FServer->Sql(QStringLiteral("CREATE DATABASE %1").arg(name)))
            qWarning("%s", qPrintable(FServer->Error));
        FServer->Database = keep;
        TFleetSettings s;
        s.Host = QStringLiteral("127.0.0.1");
        s.Port = FServer->Port;
        s.Database = name;
        s.User = FServer->User;
        s.TLSMode = QStringLiteral("disable");
        s.PasswordFile = FServer->PasswordFile;
        return s;
    }
    QString StoreSql(const TFleetSettings& s, const QString& sql) {
        const QString keep = FServer->Database;
        FServer->Database = s.Database;
        QString out;
        if (!FServer->Sql(sql, &out))
            out = QStringLiteral("failed: ") + FServer->Error;
        FServer->Database = keep;
        return out;
    }

private Q_SLOTS:
    void initTestCase() {
        FServer = std::make_unique<TPostgresRig>();
        // In CI these tests must run: a server that does not start is a failure, never a skip.
        QVERIFY2(FServer->Ok(), qPrintable(FServer->Error));
    }
    void cleanupTestCase() { FServer.reset(); }

    void twoTestSetsSeeEachOthersTests() {
        const TFleetSettings s = NewStore();
        TTestSet a, b;
        QVERIFY(a.Write("2024.xml", {.Date = QDate(2024, 11, 30)}));
        QVERIFY(a.Write("2026.xml", {.Date = QDate(2026, 1, 9)}));
        QVERIFY(b.Write("2025.xml", {.Date = QDate(2025, 4, 2)}));
        QVERIFY(b.Write("other.xml", {.SerialNo = QStringLiteral("K-1")}));
        a.Refresh();
        b.Refresh();
        const QByteArray before = ReadBytes(a.Data + "/2024.xml");

        TFleetStore storeA(s), storeB(s);
        TFleetStore::TSyncOutcome o = storeA.Sync(a.Index);
        QVERIFY2(o.Ok, qPrintable(o.Error));
        QCOMPARE(o.Sent, 2);
        o = storeB.Sync(b.Index);
        QVERIFY2(o.Ok, qPrintable(o.Error));
        QCOMPARE(o.Sent, 2);
        QCOMPARE(o.Received, 2);
        o = storeA.Sync(a.Index);
        QCOMPARE(o.Sent, 0); // a second sync sends nothing
        QCOMPARE(o.Received, 2);
        QCOMPARE(a.History(), (QStringList{"2024-11-30 2024.xml", "2025-04-02 2025.xml (fleet)", "2026-01-09 2026.xml"}));
        QCOMPARE(b.History(), (QStringList{"2024-11-30 2024.xml (fleet)", "2025-04-02 2025.xml", "2026-01-09 2026.xml (fleet)"}));
        // The fleet's tests come with their rows, for the chart.
        const QList<THistoryEntry> h = b.Index.History(QStringLiteral("T-4711"), {}, true);
        QCOMPARE(h[0].Results.size(), 15);
        QCOMPARE(h[0].Origin, a.Index.TestSetId());

        // A test changed on one test set replaces its earlier version on the other.
        QVERIFY(a.Write("2026.xml", {.Date = QDate(2026, 1, 10)}));
        a.Refresh();
        QCOMPARE(storeA.Sync(a.Index).Sent, 1);
        QCOMPARE(storeB.Sync(b.Index).Received, 1);
        QCOMPARE(b.History().last(), QStringLiteral("2026-01-10 2026.xml (fleet)"));
        QCOMPARE(StoreSql(s, "SELECT count(*) FROM qel_tests"), QStringLiteral("4"));
        // Each version's document is kept, byte for byte.
        QByteArray content;
        QString error;
        QVERIFY2(storeB.Fetch(h[0].Hash, &content, &error), qPrintable(error));
        QCOMPARE(content, before);
        QCOMPARE(ReadBytes(a.Data + "/2024.xml"), before);

        // An index made anew (beside the old one, so of the same test set) knows nothing was sent:
        // the store says it holds them, and nothing goes.
        TTestIndex again;
        QVERIFY(again.Open(a.Index.File() + QStringLiteral(".new")).Ok);
        QCOMPARE(again.TestSetId(), a.Index.TestSetId());
        again.IndexFolders({a.Data});
        o = TFleetStore(s).Sync(again);
        QCOMPARE(o.Sent, 0);
        QCOMPARE(o.AlreadyThere, 2);
    }

    void syncCutOffByTheServerResumes() {
        const TFleetSettings s = NewStore();
        TTestSet a;
        for (int i = 0; i < 4; ++i)
            QVERIFY(a.Write(QStringLiteral("t%1.xml").arg(i), {.Date = QDate(2020 + i, 5, 1)}));
        a.Refresh();
        QMap<QString, QByteArray> files;
        for (int i = 0; i < 4; ++i)
            files[QString::number(i)] = ReadBytes(a.Data + QStringLiteral("/t%1.xml").arg(i));
        {
            TFleetStore store(s);
            store.OnSent = [this](int sent) {
                if (sent == 2)
                    QVERIFY(FServer->Kill());
            };
            const TFleetStore::TSyncOutcome o = store.Sync(a.Index);
            QVERIFY(!o.Ok);
            QVERIFY(o.Reached);
            QCOMPARE(o.Sent, 2);
            QCOMPARE(o.Waiting, 2);
            QVERIFY(!o.Error.isEmpty());
            // Offline now: nothing is reached, the tests wait.
            const TFleetStore::TSyncOutcome offline = store.Sync(a.Index);
            QVERIFY(!offline.Reached);
            QCOMPARE(offline.Waiting, 2);
        }
        QVERIFY2(FServer->Start(), qPrintable(FServer->Error));
        const TFleetStore::TSyncOutcome o = TFleetStore(s).Sync(a.Index);
        QVERIFY2(o.Ok, qPrintable(o.Error));
        QCOMPARE(o.Sent, 2);
        QCOMPARE(o.Waiting, 0);
        QCOMPARE(StoreSql(s, "SELECT count(*) FROM qel_tests"), QStringLiteral("4"));
        QCOMPARE(StoreSql(s, "SELECT count(*) FROM qel_results"), QStringLiteral("60"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ReadBytes(a.Data + QStringLiteral("/t%1.xml").arg(i)), files[QString::number(i)]);
    }

    void storeNotReached_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no server on the port") << "port" << "127.0.0.1:";
        QTest::newRow("wrong password") << "password" << "password authentication failed";
        QTest::newRow("password file missing") << "file" << "the password cannot be read";
    }
    void storeNotReached() {
        QFETCH(QString, what);
        QFETCH(QString, expected);
        TFleetSettings s = NewStore();
        QTemporaryDir dir;
        if (what == "port")
            s.Port = 1; // nothing listens there
        if (what == "password") {
            s.PasswordFile = dir.filePath("wrong");
            QVERIFY(WriteBytes(s.PasswordFile, "not-the-password\n"));
        }
        if (what == "file")
            s.PasswordFile = dir.filePath("missing");
        TTestSet a;
        QVERIFY(a.Write("t.xml", {}));
        a.Refresh();
        const TFleetStore::TSyncOutcome o = TFleetStore(s).Sync(a.Index);
        QVERIFY(!o.Ok && !o.Reached);
        QVERIFY2(o.Error.contains(expected), qPrintable(o.Error));
        QCOMPARE(o.Waiting, 1);
    }

    void olderLayoutIsBroughtUpNewerIsLeftAlone() {
        const TFleetSettings s = NewStore();
        {
            TFleetStore old(s);
            QString error;
            QVERIFY2(old.Connect(&error), qPrintable(error));
            QVERIFY2(old.PrepareSchema(1, nullptr, &error), qPrintable(error));
        }
        QCOMPARE(StoreSql(s, "SELECT version FROM qel_schema"), QStringLiteral("1"));
        TTestSet a;
        QVERIFY(a.Write("t.xml", {}));
        a.Refresh();
        TFleetStore::TSyncOutcome o = TFleetStore(s).Sync(a.Index);
        QVERIFY2(o.Ok, qPrintable(o.Error));
        QCOMPARE(o.MigratedFrom, 1);
        QCOMPARE(StoreSql(s, "SELECT version FROM qel_schema"), QStringLiteral("2"));
        QCOMPARE(StoreSql(s, "SELECT count(verdict) FROM qel_tests"), QStringLiteral("0"));

        QCOMPARE(StoreSql(s, "UPDATE qel_schema SET version = 9"), QString());
        QVERIFY(a.Write("u.xml", {}));
        a.Refresh();
        o = TFleetStore(s).Sync(a.Index);
        QVERIFY(!o.Ok && o.Reached);
        QVERIFY2(o.Error.contains("layout version 9"), qPrintable(o.Error));
        QCOMPARE(o.Sent, 0);
        QCOMPARE(o.Waiting, 1);
        QCOMPARE(StoreSql(s, "SELECT count(*) FROM qel_tests"), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TstFleet)
#include "tst_fleet.moc"
