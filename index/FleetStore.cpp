#include "FleetStore.h"

#include "SqlConnection.h"
#include "TestIndex.h"
#include "TestSummary.h"

#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Step n makes layout version n from version n - 1.
QStringList SchemaStep(int version) {
    switch (version) {
    case 1:
        return {
            QStringLiteral("CREATE TABLE qel_schema (version integer NOT NULL)"),
            QStringLiteral("INSERT INTO qel_schema (version) VALUES (0)"),
            QStringLiteral("CREATE TABLE qel_documents (hash text PRIMARY KEY, content bytea NOT NULL)"),
            QStringLiteral("CREATE TABLE qel_tests (origin text NOT NULL, path text NOT NULL,"
                           " hash text NOT NULL REFERENCES qel_documents (hash), serial text NOT NULL,"
                           " type text NOT NULL, location text, manufacturer text, test_date text, test_date_text text,"
                           " sort_key text NOT NULL, vector_group text, standard text, rows integer NOT NULL,"
                           " worst_dev double precision, worst_pair text, worst_tap text, worst_phase text,"
                           " sent_at timestamptz NOT NULL DEFAULT now(), PRIMARY KEY (origin, path))"),
            QStringLiteral("CREATE INDEX qel_tests_by_serial ON qel_tests (upper(serial))"),
            QStringLiteral("CREATE TABLE qel_results (hash text NOT NULL REFERENCES qel_documents (hash),"
                           " row_no integer NOT NULL, pair text, tap text, phase text, time text,"
                           " turns_ratio double precision, voltage_ratio double precision, ratio_dev double precision,"
                           " phase_dev double precision, PRIMARY KEY (hash, row_no))"),
        };
    case 2:
        return {QStringLiteral("ALTER TABLE qel_tests ADD COLUMN verdict text")};
    default:
        return {};
    }
}

QString Failed(const QSqlQuery& q) {
    return q.lastError().text();
}

QString DateText(const QDateTime& when) {
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

QVariant NullableText(const QString& s) {
    return s.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(s);
}

// A text for a column that may be empty but not NULL (a null QString goes out as NULL).
QVariant NotNullText(const QString& s) {
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

} // namespace

TFleetStore::TFleetStore(TFleetSettings settings, QProcessEnvironment env)
    : FSettings(std::move(settings)), FEnv(std::move(env)) {}

TFleetStore::~TFleetStore() = default;

bool TFleetStore::Connect(QString* error) {
    if (FConnection && FConnection->Db().isOpen())
        return true;
    if (!FSettings.Enabled()) {
        if (error)
            *error = QStringLiteral("no fleet store is set up");
        return false;
    }
    QString why;
    const QString password = FSettings.Password(FEnv, &why);
    if (!why.isEmpty()) {
        if (error)
            *error = QStringLiteral("the password cannot be read: %1").arg(why);
        return false;
    }
    FConnection = std::make_unique<TSqlConnection>(QStringLiteral("QPSQL"), QStringLiteral("fleet"));
    QSqlDatabase& db = FConnection->Db();
    if (!db.isValid()) {
        FConnection.reset();
        if (error)
            *error = QStringLiteral("the PostgreSQL driver of Qt is missing (libqt6sql6-psql)");
        return false;
    }
    db.setHostName(FSettings.Host);
    db.setPort(FSettings.Port);
    db.setDatabaseName(FSettings.Database);
    db.setUserName(FSettings.User);
    if (!password.isEmpty())
        db.setPassword(password);
    db.setConnectOptions(FSettings.ConnectOptions());
    if (!db.open()) {
        if (error)
            *error = QStringLiteral("%1:%2: %3")
                         .arg(FSettings.Host)
                         .arg(FSettings.Port)
                         .arg(db.lastError().text().simplified());
        FConnection.reset();
        return false;
    }
    return true;
}

void TFleetStore::Disconnect() {
    FConnection.reset();
}

bool TFleetStore::PrepareSchema(int version, int* migratedFrom, QString* error) {
    if (migratedFrom)
        *migratedFrom = 0;
    QSqlDatabase& db = FConnection->Db();
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    // One test set at a time makes or changes the layout; the others wait here and find it done.
    bool ok = RunSql(q, QStringLiteral("SELECT pg_advisory_xact_lock(86258625)"), {}, error);
    int have = 0;
    if (ok) {
        ok = RunSql(q, QStringLiteral("SELECT to_regclass('qel_schema') IS NOT NULL"), {}, error) && q.next();
        if (ok && q.value(0).toBool()) {
            ok = RunSql(q, QStringLiteral("SELECT max(version) FROM qel_schema"), {}, error) && q.next();
            have = ok ? q.value(0).toInt() : 0;
        }
    }
    if (ok && have > SchemaVersion) {
        if (error)
            *error = QStringLiteral("the fleet store has layout version %1; this program knows up to %2")
                         .arg(have)
                         .arg(SchemaVersion);
        ok = false;
    }
    const bool existed = have > 0;
    for (int v = have + 1; ok && v <= version; ++v) {
        for (const QString& sql : SchemaStep(v))
            if (!(ok = RunSql(q, sql, {}, error)))
                break;
        ok = ok && RunSql(q, QStringLiteral("UPDATE qel_schema SET version = ?"), {v}, error);
    }
    if (!ok || !db.commit()) {
        if (ok && error)
            *error = db.lastError().text();
        db.rollback();
        return false;
    }
    if (migratedFrom && existed && have < version)
        *migratedFrom = have;
    return true;
}

TFleetStore::TSyncOutcome TFleetStore::Sync(TTestIndex& index) {
    TSyncOutcome outcome;
    if (!Connect(&outcome.Error)) {
        outcome.Waiting = int(index.Unsynced().size());
        return outcome;
    }
    outcome.Reached = true;
    if (!PrepareSchema(SchemaVersion, &outcome.MigratedFrom, &outcome.Error) || !Push(index, outcome) ||
        !Pull(index, outcome)) {
        outcome.Waiting = int(index.Unsynced().size());
        // The next sync starts with a new connection: this one may be gone with its server.
        Disconnect();
        return outcome;
    }
    outcome.Waiting = int(index.Unsynced().size());
    outcome.Ok = true;
    return outcome;
}

bool TFleetStore::Push(TTestIndex& index, TSyncOutcome& outcome) {
    const QString origin = index.TestSetId();
    QSqlDatabase& db = FConnection->Db();
    QSqlQuery q(db);
    // What the store holds of this test set already: sent before, and perhaps not marked here
    // (an index made anew, or a reply lost after the store had taken a test).
    QHash<QString, QByteArray> held;
    if (!RunSql(q, QStringLiteral("SELECT path, hash FROM qel_tests WHERE origin = ?"), {origin}, &outcome.Error))
        return false;
    while (q.next())
        held.insert(q.value(0).toString(), q.value(1).toString().toLatin1());
    q.finish();

    for (TIndexedTest test : index.Unsynced()) {
        if (held.value(test.Path) == test.Hash) {
            index.MarkSynced(test.Path, test.Hash);
            ++outcome.AlreadyThere;
            continue;
        }
        // The bytes sent are the bytes the rows were read from: a file that changed since it was
        // indexed is read again first.
        QFile f(test.Path);
        QByteArray content;
        if (f.open(QIODevice::ReadOnly))
            content = f.readAll();
        if (!f.isOpen() || ContentHash(content) != test.Hash) {
            f.close();
            index.IndexFile(test.Path);
            const std::optional<TIndexedTest> again = index.Test(test.Path, true);
            QFile g(test.Path);
            if (!again || !g.open(QIODevice::ReadOnly)) {
                outcome.Notes << QStringLiteral("%1: not sent, it cannot be read").arg(test.Path);
                continue;
            }
            content = g.readAll();
            if (ContentHash(content) != again->Hash) {
                outcome.Notes << QStringLiteral("%1: not sent, it changes while it is read").arg(test.Path);
                continue;
            }
            test = *again;
        }
        if (!db.transaction()) {
            outcome.Error = db.lastError().text();
            return false;
        }
        const QString hash = QString::fromLatin1(test.Hash);
        bool ok = RunSql(q, QStringLiteral("INSERT INTO qel_documents (hash, content) VALUES (?, ?) ON CONFLICT (hash) DO NOTHING"),
                         {hash, content}, &outcome.Error);
        const bool newDocument = ok && q.numRowsAffected() > 0;
        if (ok && newDocument && !test.Results.isEmpty()) {
            // All rows in one statement: one round trip per test, not per row.
            QString sql = QStringLiteral("INSERT INTO qel_results (hash, row_no, pair, tap, phase, time, turns_ratio,"
                                         " voltage_ratio, ratio_dev, phase_dev) VALUES ");
            for (int i = 0; i < test.Results.size(); ++i)
                sql += QLatin1String(i ? ", (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)" : "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            sql += QLatin1String(" ON CONFLICT DO NOTHING");
            ok = q.prepare(sql);
            for (int i = 0; ok && i < test.Results.size(); ++i) {
                const TIndexedRow& r = test.Results[i];
                for (const QVariant& v : {QVariant(hash), QVariant(i), QVariant(r.Pair), QVariant(r.Tap),
                                          QVariant(r.Phase), QVariant(r.Time), SqlNumber(r.TurnsRatio),
                                          SqlNumber(r.VoltageRatio), SqlNumber(r.RatioDeviation),
                                          SqlNumber(r.PhaseDeviation)})
                    q.addBindValue(v);
            }
            ok = ok && q.exec();
            if (!ok)
                outcome.Error = Failed(q);
        }
        ok = ok &&
             RunSql(q,
                    QStringLiteral(
                        "INSERT INTO qel_tests (origin, path, hash, serial, type, location, manufacturer, test_date,"
                        " test_date_text, sort_key, vector_group, standard, rows, worst_dev, worst_pair, worst_tap,"
                        " worst_phase, verdict) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                        " ON CONFLICT (origin, path) DO UPDATE SET hash = excluded.hash, serial = excluded.serial,"
                        " type = excluded.type, location = excluded.location, manufacturer = excluded.manufacturer,"
                        " test_date = excluded.test_date, test_date_text = excluded.test_date_text,"
                        " sort_key = excluded.sort_key, vector_group = excluded.vector_group,"
                        " standard = excluded.standard, rows = excluded.rows, worst_dev = excluded.worst_dev,"
                        " worst_pair = excluded.worst_pair, worst_tap = excluded.worst_tap,"
                        " worst_phase = excluded.worst_phase, verdict = excluded.verdict, sent_at = now()"
                        " WHERE qel_tests.hash <> excluded.hash"),
                    {origin, test.Path, hash, NotNullText(test.SerialNo), NotNullText(test.Type), test.Location,
                     test.Manufacturer,
                     DateText(test.TestDate), test.TestDateText, test.SortKey(), test.VectorGroup, test.Standard,
                     test.Rows, SqlNumber(test.WorstDeviation), test.WorstPair, test.WorstTap, test.WorstPhase,
                     NullableText(test.Verdict)},
                    &outcome.Error);
        if (!ok || !db.commit()) {
            if (ok)
                outcome.Error = db.lastError().text();
            db.rollback();
            return false;
        }
        index.MarkSynced(test.Path, test.Hash);
        ++outcome.Sent;
        if (OnSent)
            OnSent(outcome.Sent);
    }
    return true;
}

bool TFleetStore::Pull(TTestIndex& index, TSyncOutcome& outcome) {
    const QString origin = index.TestSetId();
    const QHash<QString, QByteArray> here = index.FleetVersions();
    QSqlDatabase& db = FConnection->Db();
    QSqlQuery list(db);
    list.setForwardOnly(true);
    if (!RunSql(list,
                QStringLiteral("SELECT origin, path, hash, serial, type, location, manufacturer, test_date,"
                               " test_date_text, vector_group, standard, rows, worst_dev, worst_pair, worst_tap,"
                               " worst_phase, verdict FROM qel_tests WHERE origin <> ? ORDER BY origin, path"),
                {origin}, &outcome.Error))
        return false;
    struct TFleetTest {
        QString Origin;
        TIndexedTest Test;
    };
    QList<TFleetTest> changed;
    while (list.next()) {
        TFleetTest f;
        f.Origin = list.value(0).toString();
        TIndexedTest& t = f.Test;
        t.Path = list.value(1).toString();
        t.Hash = list.value(2).toString().toLatin1();
        if (here.value(f.Origin + u'\n' + t.Path) == t.Hash)
            continue;
        t.SerialNo = list.value(3).toString();
        t.Type = list.value(4).toString();
        t.Location = list.value(5).toString();
        t.Manufacturer = list.value(6).toString();
        t.TestDate = QDateTime::fromString(list.value(7).toString(), Qt::ISODate);
        t.TestDateText = list.value(8).toString();
        t.VectorGroup = list.value(9).toString();
        t.Standard = list.value(10).toString();
        t.Rows = list.value(11).toInt();
        t.WorstDeviation = FromSqlNumber(list.value(12));
        t.WorstPair = list.value(13).toString();
        t.WorstTap = list.value(14).toString();
        t.WorstPhase = list.value(15).toString();
        t.Verdict = list.value(16).toString();
        changed.append(f);
    }
    list.finish();
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    for (TFleetTest& f : changed) {
        if (!RunSql(rows,
                    QStringLiteral("SELECT pair, tap, phase, time, turns_ratio, voltage_ratio, ratio_dev, phase_dev"
                                   " FROM qel_results WHERE hash = ? ORDER BY row_no"),
                    {QString::fromLatin1(f.Test.Hash)}, &outcome.Error))
            return false;
        while (rows.next()) {
            TIndexedRow r;
            r.Pair = rows.value(0).toString();
            r.Tap = rows.value(1).toString();
            r.Phase = rows.value(2).toString();
            r.Time = rows.value(3).toString();
            r.TurnsRatio = FromSqlNumber(rows.value(4));
            r.VoltageRatio = FromSqlNumber(rows.value(5));
            r.RatioDeviation = FromSqlNumber(rows.value(6));
            r.PhaseDeviation = FromSqlNumber(rows.value(7));
            f.Test.Results.append(r);
        }
        rows.finish();
        if (!index.StoreFleetTest(f.Origin, f.Test)) {
            outcome.Error = index.LastError();
            return false;
        }
        ++outcome.Received;
    }
    index.DropStaleFleetRows();
    return true;
}

bool TFleetStore::Fetch(const QByteArray& hash, QByteArray* content, QString* error) {
    if (!Connect(error))
        return false;
    QSqlQuery q(FConnection->Db());
    if (!RunSql(q, QStringLiteral("SELECT content FROM qel_documents WHERE hash = ?"), {QString::fromLatin1(hash)},
                error)) {
        Disconnect();
        return false;
    }
    if (!q.next()) {
        if (error)
            *error = QStringLiteral("the fleet store does not hold this test");
        return false;
    }
    *content = q.value(0).toByteArray();
    return true;
}
