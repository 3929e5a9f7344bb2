#include "IndexSchema.h"

#include "SqlConnection.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

// Step n makes version n from version n - 1.
const QStringList& Step(int version) {
    static const QStringList v1 = {
        QStringLiteral("CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT)"),
        QStringLiteral("CREATE TABLE tests (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, hash TEXT NOT NULL,"
                       " modified INTEGER NOT NULL, size INTEGER NOT NULL, serial TEXT NOT NULL COLLATE NOCASE, type TEXT NOT NULL COLLATE NOCASE,"
                       " location TEXT, manufacturer TEXT, test_date TEXT, test_date_text TEXT, sort_key TEXT NOT NULL,"
                       " vector_group TEXT, standard TEXT, rows INTEGER NOT NULL, worst_dev REAL, worst_pair TEXT,"
                       " worst_tap TEXT, worst_phase TEXT)"),
        QStringLiteral("CREATE INDEX tests_by_serial ON tests (serial, type, sort_key)"),
        QStringLiteral("CREATE TABLE results (test_id INTEGER NOT NULL REFERENCES tests (id) ON DELETE CASCADE,"
                       " row_no INTEGER NOT NULL, pair TEXT, tap TEXT, phase TEXT, time TEXT, turns_ratio REAL,"
                       " voltage_ratio REAL, ratio_dev REAL, phase_dev REAL, PRIMARY KEY (test_id, row_no))"
                       " WITHOUT ROWID"),
        QStringLiteral("CREATE TABLE unreadable (path TEXT PRIMARY KEY, reason TEXT NOT NULL, modified INTEGER,"
                       " size INTEGER)"),
    };
    static const QStringList v2 = {
        // The hash of the version of each test the fleet store holds; NULL: not sent yet.
        QStringLiteral("ALTER TABLE tests ADD COLUMN synced_hash TEXT"),
        QStringLiteral("CREATE TABLE fleet_tests (origin TEXT NOT NULL, path TEXT NOT NULL, hash TEXT NOT NULL,"
                       " serial TEXT NOT NULL COLLATE NOCASE, type TEXT NOT NULL COLLATE NOCASE, location TEXT, manufacturer TEXT, test_date TEXT,"
                       " test_date_text TEXT, sort_key TEXT NOT NULL, vector_group TEXT, standard TEXT,"
                       " rows INTEGER NOT NULL, worst_dev REAL, worst_pair TEXT, worst_tap TEXT, worst_phase TEXT,"
                       " PRIMARY KEY (origin, path))"),
        QStringLiteral("CREATE INDEX fleet_by_serial ON fleet_tests (serial, type, sort_key)"),
        QStringLiteral("CREATE TABLE fleet_results (hash TEXT NOT NULL, row_no INTEGER NOT NULL, pair TEXT, tap TEXT,"
                       " phase TEXT, time TEXT, turns_ratio REAL, voltage_ratio REAL, ratio_dev REAL, phase_dev REAL,"
                       " PRIMARY KEY (hash, row_no)) WITHOUT ROWID"),
    };
    static const QStringList v3 = {
        QStringLiteral("ALTER TABLE tests ADD COLUMN verdict TEXT"),
        QStringLiteral("ALTER TABLE fleet_tests ADD COLUMN verdict TEXT"),
    };
    static const QStringList none;
    switch (version) {
    case 1:
        return v1;
    case 2:
        return v2;
    case 3:
        return v3;
    default:
        return none;
    }
}

} // namespace

int IndexSchema::Version(QSqlDatabase& db, QString* error) {
    QSqlQuery q(db);
    if (!RunSql(q, QStringLiteral("PRAGMA user_version"), {}, error) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool IndexSchema::Migrate(QSqlDatabase& db, int target, QString* error) {
    int version = Version(db, error);
    if (version < 0)
        return false;
    if (version > CurrentVersion) {
        if (error)
            *error = QStringLiteral("the index has layout version %1; this program knows up to %2")
                         .arg(version)
                         .arg(CurrentVersion);
        return false;
    }
    while (version < target) {
        const int next = version + 1;
        if (!db.transaction()) {
            if (error)
                *error = QStringLiteral("no transaction for layout version %1").arg(next);
            return false;
        }
        bool ok = true;
        for (const QString& sql : Step(next))
            if (!(ok = RunSql(db, sql, error)))
                break;
        ok = ok && RunSql(db, QStringLiteral("PRAGMA user_version = %1").arg(next), error);
        if (!ok || !db.commit()) {
            db.rollback();
            return false;
        }
        version = next;
    }
    return true;
}
