#pragma once
#include "IndexRecords.h"

#include <QChar>
#include <QString>
#include <QStringList>

// The texts of a transformer's history, the same on the screen and on the command line.
namespace HistoryTexts {

// "-1.25 %"; "--" without a value. The decimal separator given.
QString Deviation(double percent, QChar decimal = u'.');
// Where the worst deviation was: "HV T5:LV, tap 5, phase A" (the parts that are known).
QString WorstPlace(const THistoryEntry& e);
// The test date as "yyyy-MM-dd hh:mm:ss", or the text of the test when it does not read.
QString Date(const THistoryEntry& e);
// The titles and the fields of one line of the history's CSV form.
QStringList CsvTitles();
QStringList CsvFields(const THistoryEntry& e, QChar decimal);

} // namespace HistoryTexts
