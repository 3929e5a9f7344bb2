#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>

// A database connection of its own name, removed again when the object goes: Qt keeps every
// connection in a process-wide list, and each thread needs connections of its own.
class TSqlConnection {
public:
    TSqlConnection(const QString& driver, const QString& role);
    ~TSqlConnection();
    TSqlConnection(const TSqlConnection&) = delete;
    TSqlConnection& operator=(const TSqlConnection&) = delete;

    QSqlDatabase& Db() { return FDb; }
    const QString& Name() const { return FName; }

private:
    QString FName;
    QSqlDatabase FDb;
};

// A statement run with its values bound in order (prepared; one without values runs as it
// stands). False with error set (the statement's error text) when it fails.
bool RunSql(QSqlQuery& query, const QString& sql, std::initializer_list<QVariant> values, QString* error);
bool RunSql(QSqlDatabase& db, const QString& sql, QString* error);

// A number for the database: NULL where there is no value.
QVariant SqlNumber(double v);
double FromSqlNumber(const QVariant& v);
