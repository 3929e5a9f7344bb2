#include "SqlConnection.h"

#include "IndexRecords.h"

#include <QAtomicInt>
#include <QSqlError>

#include <cmath>

namespace {
QAtomicInt NextConnection;
} // namespace

TSqlConnection::TSqlConnection(const QString& driver, const QString& role)
    : FName(QStringLiteral("qel-%1-%2").arg(role).arg(NextConnection.fetchAndAddRelaxed(1))),
      FDb(QSqlDatabase::addDatabase(driver, FName)) {}

TSqlConnection::~TSqlConnection() {
    if (FDb.isOpen())
        FDb.close();
    FDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(FName);
}

bool RunSql(QSqlQuery& query, const QString& sql, std::initializer_list<QVariant> values, QString* error) {
    // A statement without values runs as it stands: PostgreSQL prepares no DDL.
    if (values.size() == 0) {
        if (!query.exec(sql)) {
            if (error)
                *error = query.lastError().text();
            return false;
        }
        return true;
    }
    if (!query.prepare(sql)) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    return true;
}

bool RunSql(QSqlDatabase& db, const QString& sql, QString* error) {
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

QVariant SqlNumber(double v) {
    return std::isfinite(v) ? QVariant(v) : QVariant(QMetaType::fromType<double>());
}

double FromSqlNumber(const QVariant& v) {
    return v.isNull() ? NoValue : v.toDouble();
}
