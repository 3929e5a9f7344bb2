#pragma once

#include <QString>

// The test document's date and time patterns write months as "m" in dates, minutes as "n" in
// times and the half of the day as "am/pm" or "a/p"; these give the same patterns in Qt's letters.
// Patterns written in Qt's own letters read the same.
QString QtDatePattern(const QString& pattern);
QString QtTimePattern(const QString& pattern);
