#include "TestIndex.h"

#include "IndexSchema.h"
#include "SqlConnection.h"
#include "TestSummary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

namespace {

const QString TestColumns = QStringLiteral(
    "path, hash, serial, type, test_date_text, test_date, sort_key, rows, worst_dev, worst_pair, worst_tap, "
    "worst_phase, verdict");

QVariant Text(const QString& s) {
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QString DateText(const QDateTime& when) {
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

THistoryEntry EntryFrom(const QSqlQuery& q, int first) {
    THistoryEntry e;
    e.Path = q.value(first).toString();
    e.Hash = q.value(first + 1).toString().toLatin1();
    e.SerialNo = q.value(first + 2).toString();
    e.Type = q.value(first + 3).toString();
    e.TestDateText = q.value(first + 4).toString();
    e.TestDate = QDateTime::fromString(q.value(first + 5).toString(), Qt::ISODate);
    e.SortKey = q.value(first + 6).toString();
    e.Rows = q.value(first + 7).toInt();
    e.WorstDeviation = FromSqlNumber(q.value(first + 8));
    e.WorstPair = q.value(first + 9).toString();
    e.WorstTap = q.value(first + 10).toString();
    e.WorstPhase = q.value(first + 11).toString();
    e.Verdict = q.value(first + 12).toString();
    return e;
}

// Whether path lies in folder or below it.
bool Below(const QString& path, const QStringList& folders) {
    for (const QString& f : folders)
        if (path.startsWith(f))
            return true;
    return false;
}

bool IsTestFileName(const QString& name) {
    return name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
}

} // namespace

TTestIndex::TTestIndex() = default;
TTestIndex::~TTestIndex() = default;

QString TTestIndex::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/TestIndex.sqlite");
}

bool TTestIndex::IsOpen() const {
    return FConnection && FConnection->Db().isOpen();
}

bool TTestIndex::Prepare(QString* error) {
    FConnection = std::make_unique<TSqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("index"));
    QSqlDatabase& db = FConnection->Db();
    db.setDatabaseName(FFile);
    // Another program holding the file (the program and the command-line tool) makes us wait a
    // little instead of failing at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()) {
        if (error)
            *error = check.lastError().text();
        return false;
    }
    if (check.value(0).toString() != QLatin1String("ok")) {
        if (error)
            *error = check.value(0).toString();
        return false;
    }
    check.finish();
    for (const char* pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL", "PRAGMA foreign_keys = ON"})
        if (!RunSql(db, QLatin1String(pragma), error))
            return false;
    return IndexSchema::Migrate(db, IndexSchema::CurrentVersion, error);
}

TTestIndex::TOpenResult TTestIndex::Open(const QString& file) {
    TOpenResult r;
    FFile = QFileInfo(file).absoluteFilePath();
    if (!QDir().mkpath(QFileInfo(FFile).path())) {
        r.Error = QStringLiteral("%1: the folder cannot be made").arg(FFile);
        return r;
    }
    QString why;
    if (Prepare(&why)) {
        r.Ok = true;
        return r;
    }
    FConnection.reset();
    // The index is made from the documents: a damaged one is kept for a look and made again.
    r.Reason = why;
    r.KeptAs = FFile + QStringLiteral(".damaged");
    QFile::remove(r.KeptAs);
    if (!QFile::rename(FFile, r.KeptAs)) {
        r.KeptAs.clear();
        QFile::remove(FFile);
    }
    for (const char* side : {"-wal", "-shm", "-journal"})
        QFile::remove(FFile + QLatin1String(side));
    if (!Prepare(&why)) {
        FConnection.reset();
        r.Error = QStringLiteral("%1: %2").arg(FFile, why);
        return r;
    }
    r.Ok = true;
    r.Rebuilt = true;
    return r;
}

int TTestIndex::TestCount() const {
    QSqlQuery q(FConnection->Db());
    return q.exec(QStringLiteral("SELECT count(*) FROM tests")) && q.next() ? q.value(0).toInt() : 0;
}

int TTestIndex::FleetTestCount() const {
    QSqlQuery q(FConnection->Db());
    return q.exec(QStringLiteral("SELECT count(*) FROM fleet_tests")) && q.next() ? q.value(0).toInt() : 0;
}

bool TTestIndex::Store(const TIndexedTest& t, QString* error) {
    QSqlDatabase& db = FConnection->Db();
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    bool ok = RunSql(q,
                     QStringLiteral(
                         "INSERT INTO tests (path, hash, modified, size, serial, type, location, manufacturer, "
                         "test_date, test_date_text, sort_key, vector_group, standard, rows, worst_dev, worst_pair, "
                         "worst_tap, worst_phase, verdict) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                         "ON CONFLICT (path) DO UPDATE SET hash = excluded.hash, modified = excluded.modified, "
                         "size = excluded.size, serial = excluded.serial, type = excluded.type, "
                         "location = excluded.location, manufacturer = excluded.manufacturer, "
                         "test_date = excluded.test_date, test_date_text = excluded.test_date_text, "
                         "sort_key = excluded.sort_key, vector_group = excluded.vector_group, "
                         "standard = excluded.standard, rows = excluded.rows, worst_dev = excluded.worst_dev, "
                         "worst_pair = excluded.worst_pair, worst_tap = excluded.worst_tap, "
                         "worst_phase = excluded.worst_phase, verdict = excluded.verdict RETURNING id"),
                     {t.Path, QString::fromLatin1(t.Hash), t.Modified, t.Size, Text(t.SerialNo), Text(t.Type),
                      t.Location, t.Manufacturer, DateText(t.TestDate), t.TestDateText, t.SortKey(), t.VectorGroup,
                      t.Standard, t.Rows, SqlNumber(t.WorstDeviation), t.WorstPair, t.WorstTap, t.WorstPhase,
                      t.Verdict.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(t.Verdict)},
                     error) &&
              q.next();
    const qint64 id = ok ? q.value(0).toLongLong() : 0;
    q.finish();
    ok = ok && RunSql(q, QStringLiteral("DELETE FROM results WHERE test_id = ?"), {id}, error);
    ok = ok && RunSql(q, QStringLiteral("DELETE FROM unreadable WHERE path = ?"), {t.Path}, error);
    if (ok) {
        ok = q.prepare(QStringLiteral("INSERT INTO results (test_id, row_no, pair, tap, phase, time, turns_ratio, "
                                      "voltage_ratio, ratio_dev, phase_dev) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; ok && i < t.Results.size(); ++i) {
            const TIndexedRow& row = t.Results[i];
            for (const QVariant& v : {QVariant(id), QVariant(i), QVariant(row.Pair), QVariant(row.Tap),
                                      QVariant(row.Phase), QVariant(row.Time), SqlNumber(row.TurnsRatio),
                                      SqlNumber(row.VoltageRatio), SqlNumber(row.RatioDeviation),
                                      SqlNumber(row.PhaseDeviation)})
                q.addBindValue(v);
            ok = q.exec();
        }
        if (!ok && error && error->isEmpty())
            *error = q.lastError().text();
    }
    if (!ok || !db.commit()) {
        if (error && error->isEmpty())
            *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

bool TTestIndex::StoreUnreadable(const QString& path, const QString& reason, qint64 modified, qint64 size) {
    QSqlDatabase& db = FConnection->Db();
    if (!db.transaction())
        return false;
    QSqlQuery q(db);
    bool ok = RunSql(q, QStringLiteral("DELETE FROM tests WHERE path = ?"), {path}, &FError);
    ok = ok && RunSql(q,
                      QStringLiteral("INSERT INTO unreadable (path, reason, modified, size) VALUES (?, ?, ?, ?) "
                                     "ON CONFLICT (path) DO UPDATE SET reason = excluded.reason, "
                                     "modified = excluded.modified, size = excluded.size"),
                      {path, reason, modified, size}, &FError);
    if (!ok || !db.commit()) {
        db.rollback();
        return false;
    }
    return true;
}

bool TTestIndex::Remove(const QString& path) {
    QSqlQuery q(FConnection->Db());
    return RunSql(q, QStringLiteral("DELETE FROM tests WHERE path = ?"), {path}, &FError) &&
           RunSql(q, QStringLiteral("DELETE FROM unreadable WHERE path = ?"), {path}, &FError);
}

void TTestIndex::Visit(const QString& path, TIndexOutcome& outcome) {
    const QFileInfo fi(path);
    const qint64 modified = fi.lastModified().toMSecsSinceEpoch();
    const qint64 size = fi.size();
    QSqlQuery q(FConnection->Db());
    QByteArray known;
    if (RunSql(q, QStringLiteral("SELECT modified, size, hash FROM tests WHERE path = ?"), {path}, &FError) &&
        q.next()) {
        if (q.value(0).toLongLong() == modified && q.value(1).toLongLong() == size) {
            ++outcome.Unchanged;
            return;
        }
        known = q.value(2).toString().toLatin1();
    } else if (RunSql(q, QStringLiteral("SELECT modified, size, reason FROM unreadable WHERE path = ?"), {path},
                      &FError) &&
               q.next() && q.value(0).toLongLong() == modified && q.value(1).toLongLong() == size) {
        // Read before and not readable; it has not changed since.
        outcome.Unreadable.append({path, q.value(2).toString()});
        return;
    }
    q.finish();
    TIndexedTest test;
    QString reason;
    if (!ReadTestFile(path, test, &reason)) {
        outcome.Unreadable.append({path, reason});
        if (!StoreUnreadable(path, reason, modified, size) && outcome.Error.isEmpty())
            outcome.Error = FError;
        return;
    }
    if (!known.isEmpty() && known == test.Hash) {
        // Touched, not changed: only its time is new.
        RunSql(q, QStringLiteral("UPDATE tests SET modified = ?, size = ? WHERE path = ?"), {modified, size, path},
               &FError);
        ++outcome.Unchanged;
        return;
    }
    QString error;
    if (!Store(test, &error)) {
        if (outcome.Error.isEmpty())
            outcome.Error = QStringLiteral("%1: %2").arg(path, error);
        return;
    }
    ++(known.isEmpty() ? outcome.Added : outcome.Updated);
}

TIndexOutcome TTestIndex::IndexFile(const QString& fileName) {
    TIndexOutcome outcome;
    if (!IsOpen()) {
        outcome.Error = QStringLiteral("the test index is not open");
        return outcome;
    }
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (QFileInfo(path).isFile())
        Visit(path, outcome);
    else if (Remove(path))
        ++outcome.Removed;
    return outcome;
}

TIndexOutcome TTestIndex::IndexFolders(const QStringList& folders, bool alsoKnown) {
    TIndexOutcome outcome;
    if (!IsOpen()) {
        outcome.Error = QStringLiteral("the test index is not open");
        return outcome;
    }
    QStringList roots;
    QSet<QString> seen;
    for (const QString& folder : folders) {
        const QFileInfo fi(folder);
        if (!fi.isDir()) {
            outcome.Unreadable.append({fi.absoluteFilePath(), QStringLiteral("no such folder")});
            continue;
        }
        const QString root = fi.absoluteFilePath() + u'/';
        roots << root;
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = QFileInfo(it.next()).absoluteFilePath();
            if (!IsTestFileName(path) || seen.contains(path))
                continue;
            seen.insert(path);
            Visit(path, outcome);
        }
    }
    // The tests the index knows that were not met: gone, or (alsoKnown) elsewhere.
    QStringList known;
    QSqlQuery q(FConnection->Db());
    for (const char* table : {"tests", "unreadable"})
        if (q.exec(QStringLiteral("SELECT path FROM %1").arg(QLatin1String(table))))
            while (q.next())
                known << q.value(0).toString();
    q.finish();
    for (const QString& path : std::as_const(known)) {
        if (seen.contains(path) || (!alsoKnown && !Below(path, roots)))
            continue;
        seen.insert(path);
        if (QFileInfo(path).isFile())
            Visit(path, outcome);
        else if (Remove(path))
            ++outcome.Removed;
    }
    return outcome;
}

QList<TUnreadableTest> TTestIndex::Unreadable() const {
    QList<TUnreadableTest> list;
    QSqlQuery q(FConnection->Db());
    if (q.exec(QStringLiteral("SELECT path, reason FROM unreadable ORDER BY path")))
        while (q.next())
            list.append({q.value(0).toString(), q.value(1).toString()});
    return list;
}

QList<TIndexedRow> TTestIndex::Rows(const QString& sql, const QVariant& key) const {
    QList<TIndexedRow> rows;
    QSqlQuery q(FConnection->Db());
    if (!RunSql(q, sql, {key}, &FError))
        return rows;
    while (q.next()) {
        TIndexedRow r;
        r.Pair = q.value(0).toString();
        r.Tap = q.value(1).toString();
        r.Phase = q.value(2).toString();
        r.Time = q.value(3).toString();
        r.TurnsRatio = FromSqlNumber(q.value(4));
        r.VoltageRatio = FromSqlNumber(q.value(5));
        r.RatioDeviation = FromSqlNumber(q.value(6));
        r.PhaseDeviation = FromSqlNumber(q.value(7));
        rows.append(r);
    }
    return rows;
}

namespace {
const QString RowColumns =
    QStringLiteral("pair, tap, phase, time, turns_ratio, voltage_ratio, ratio_dev, phase_dev");
} // namespace

QList<THistoryEntry> TTestIndex::History(const QString& serialNo, const QString& type, bool withRows) const {
    QList<THistoryEntry> list;
    const QString serial = serialNo.trimmed();
    if (serial.isEmpty() || !IsOpen())
        return list;
    const QString typeClause = type.trimmed().isEmpty() ? QStringLiteral("1") : QStringLiteral("type = ?");
    // A fleet test whose very document is here too (a copy) is shown once, as this test set's.
    const QString sql =
        QStringLiteral("SELECT '' AS origin, %1 FROM tests WHERE serial = ? AND %2 "
                       "UNION ALL SELECT origin, %1 FROM fleet_tests WHERE serial = ? AND %2 "
                       "AND hash NOT IN (SELECT hash FROM tests WHERE serial = ?) ORDER BY sort_key, origin, path")
            .arg(TestColumns, typeClause);
    QSqlQuery q(FConnection->Db());
    q.setForwardOnly(true);
    std::initializer_list<QVariant> withType = {serial, type.trimmed(), serial, type.trimmed(), serial};
    std::initializer_list<QVariant> withoutType = {serial, serial, serial};
    if (!RunSql(q, sql, typeClause == QLatin1String("1") ? withoutType : withType, &FError))
        return list;
    while (q.next()) {
        THistoryEntry e = EntryFrom(q, 1);
        e.Origin = q.value(0).toString();
        list.append(e);
    }
    q.finish();
    if (withRows)
        for (THistoryEntry& e : list)
            e.Results = e.Local() ? Rows(QStringLiteral("SELECT %1 FROM results JOIN tests ON tests.id = test_id "
                                                        "WHERE tests.path = ? ORDER BY row_no")
                                             .arg(RowColumns),
                                         e.Path)
                                  : Rows(QStringLiteral("SELECT %1 FROM fleet_results WHERE hash = ? ORDER BY row_no")
                                             .arg(RowColumns),
                                         QString::fromLatin1(e.Hash));
    return list;
}

std::optional<TIndexedTest> TTestIndex::Test(const QString& fileName, bool withRows) const {
    if (!IsOpen())
        return std::nullopt;
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QSqlQuery q(FConnection->Db());
    if (!RunSql(q,
                QStringLiteral("SELECT path, hash, modified, size, serial, type, location, manufacturer, test_date, "
                               "test_date_text, vector_group, standard, rows, worst_dev, worst_pair, worst_tap, "
                               "worst_phase, verdict FROM tests WHERE path = ?"),
                {path}, &FError) ||
        !q.next())
        return std::nullopt;
    TIndexedTest t;
    t.Path = q.value(0).toString();
    t.Hash = q.value(1).toString().toLatin1();
    t.Modified = q.value(2).toLongLong();
    t.Size = q.value(3).toLongLong();
    t.SerialNo = q.value(4).toString();
    t.Type = q.value(5).toString();
    t.Location = q.value(6).toString();
    t.Manufacturer = q.value(7).toString();
    t.TestDate = QDateTime::fromString(q.value(8).toString(), Qt::ISODate);
    t.TestDateText = q.value(9).toString();
    t.VectorGroup = q.value(10).toString();
    t.Standard = q.value(11).toString();
    t.Rows = q.value(12).toInt();
    t.WorstDeviation = FromSqlNumber(q.value(13));
    t.WorstPair = q.value(14).toString();
    t.WorstTap = q.value(15).toString();
    t.WorstPhase = q.value(16).toString();
    t.Verdict = q.value(17).toString();
    q.finish();
    if (withRows)
        t.Results = Rows(QStringLiteral("SELECT %1 FROM results JOIN tests ON tests.id = test_id "
                                        "WHERE tests.path = ? ORDER BY row_no")
                             .arg(RowColumns),
                         path);
    return t;
}

QString TTestIndex::TestSetId() const {
    const QString file = QFileInfo(FFile).path() + QStringLiteral("/TestSet.id");
    QFile f(file);
    if (f.open(QIODevice::ReadOnly)) {
        const QString id = QString::fromUtf8(f.readLine()).trimmed();
        if (!id.isEmpty())
            return id;
    }
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(id.toUtf8() + '\n');
        out.commit();
    }
    return id;
}

QList<TIndexedTest> TTestIndex::Unsynced() const {
    QList<TIndexedTest> list;
    QStringList paths;
    QSqlQuery q(FConnection->Db());
    if (q.exec(QStringLiteral("SELECT path FROM tests WHERE synced_hash IS NULL OR synced_hash <> hash ORDER BY path")))
        while (q.next())
            paths << q.value(0).toString();
    q.finish();
    for (const QString& p : std::as_const(paths))
        if (const std::optional<TIndexedTest> t = Test(p, true))
            list.append(*t);
    return list;
}

bool TTestIndex::MarkSynced(const QString& path, const QByteArray& hash) {
    QSqlQuery q(FConnection->Db());
    return RunSql(q, QStringLiteral("UPDATE tests SET synced_hash = ? WHERE path = ?"), {QString::fromLatin1(hash), path},
                  &FError);
}

bool TTestIndex::StoreFleetTest(const QString& origin, const TIndexedTest& t) {
    QSqlDatabase& db = FConnection->Db();
    if (!db.transaction())
        return false;
    QSqlQuery q(db);
    bool ok = RunSql(q,
                     QStringLiteral(
                         "INSERT INTO fleet_tests (origin, path, hash, serial, type, location, manufacturer, test_date, "
                         "test_date_text, sort_key, vector_group, standard, rows, worst_dev, worst_pair, worst_tap, "
                         "worst_phase, verdict) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                         "ON CONFLICT (origin, path) DO UPDATE SET hash = excluded.hash, serial = excluded.serial, "
                         "type = excluded.type, location = excluded.location, manufacturer = excluded.manufacturer, "
                         "test_date = excluded.test_date, test_date_text = excluded.test_date_text, "
                         "sort_key = excluded.sort_key, vector_group = excluded.vector_group, "
                         "standard = excluded.standard, rows = excluded.rows, worst_dev = excluded.worst_dev, "
                         "worst_pair = excluded.worst_pair, worst_tap = excluded.worst_tap, "
                         "worst_phase = excluded.worst_phase, verdict = excluded.verdict"),
                     {origin, t.Path, QString::fromLatin1(t.Hash), Text(t.SerialNo), Text(t.Type), t.Location,
                      t.Manufacturer, DateText(t.TestDate), t.TestDateText, t.SortKey(), t.VectorGroup, t.Standard,
                      t.Rows, SqlNumber(t.WorstDeviation), t.WorstPair, t.WorstTap, t.WorstPhase,
                      t.Verdict.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(t.Verdict)},
                     &FError);
    ok = ok && RunSql(q, QStringLiteral("DELETE FROM fleet_results WHERE hash = ?"), {QString::fromLatin1(t.Hash)},
                      &FError);
    if (ok) {
        ok = q.prepare(QStringLiteral("INSERT INTO fleet_results (hash, row_no, pair, tap, phase, time, turns_ratio, "
                                      "voltage_ratio, ratio_dev, phase_dev) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; ok && i < t.Results.size(); ++i) {
            const TIndexedRow& row = t.Results[i];
            for (const QVariant& v : {QVariant(QString::fromLatin1(t.Hash)), QVariant(i), QVariant(row.Pair),
                                      QVariant(row.Tap), QVariant(row.Phase), QVariant(row.Time),
                                      SqlNumber(row.TurnsRatio), SqlNumber(row.VoltageRatio),
                                      SqlNumber(row.RatioDeviation), SqlNumber(row.PhaseDeviation)})
                q.addBindValue(v);
            ok = q.exec();
        }
        if (!ok)
            FError = q.lastError().text();
    }
    if (!ok || !db.commit()) {
        db.rollback();
        return false;
    }
    return true;
}

QHash<QString, QByteArray> TTestIndex::FleetVersions() const {
    QHash<QString, QByteArray> versions;
    QSqlQuery q(FConnection->Db());
    if (q.exec(QStringLiteral("SELECT origin, path, hash FROM fleet_tests")))
        while (q.next())
            versions.insert(q.value(0).toString() + u'\n' + q.value(1).toString(), q.value(2).toString().toLatin1());
    return versions;
}

void TTestIndex::DropStaleFleetRows() {
    QSqlQuery q(FConnection->Db());
    RunSql(q, QStringLiteral("DELETE FROM fleet_results WHERE hash NOT IN (SELECT hash FROM fleet_tests)"), {}, &FError);
}
