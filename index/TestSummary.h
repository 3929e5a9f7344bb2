#pragma once
#include "IndexRecords.h"

#include <QByteArray>
#include <QString>

// Reads what the index keeps from a test document's bytes: the transformer's data, the date of
// the first result, each result row and the largest ratio deviation. False with reason set when
// the bytes are no test document (not XML, not a KovaDoc).
bool ReadTestSummary(const QByteArray& bytes, TIndexedTest& test, QString* reason);

// The file read and summarised: its path, time, size and hash as well. False with reason when it
// cannot be read or is no test document.
bool ReadTestFile(const QString& path, TIndexedTest& test, QString* reason);

// SHA-256 of the bytes, hex.
QByteArray ContentHash(const QByteArray& bytes);

// A date and time text of the results read with a test document's date and time patterns (its
// own letters, "dd.mm.yyyy" "hh:nn:ss"); blank patterns are the locale's short date and long time.
QDateTime ReadResultTime(const QString& text, const QString& datePattern, const QString& timePattern);
