#pragma once
#include <QSqlDatabase>
#include <QString>

// The layout of the test index (SQLite). Its version is the database's user_version; every
// version's step is kept, so an index made by an earlier program is brought up to date in place
// (one transaction per step), and a new one is made by running them all.
//   1  tests, their result rows, the unreadable documents
//   2  the fleet: what was sent of each test, the fleet's tests and their rows
//   3  the verdict of each test
namespace IndexSchema {

constexpr int CurrentVersion = 3;

int Version(QSqlDatabase& db, QString* error);
// Runs the steps from the database's version up to `target`. False with error when a step fails
// (the database stays at the version of the last step done) or the database is newer.
bool Migrate(QSqlDatabase& db, int target, QString* error);

} // namespace IndexSchema
