#pragma once
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

class TGridTable;

// The filter rules of the filter grids, on the rows of a table (shadow row numbers, ascending).
// Values are compared trimmed: the padded number texts of the results ("     400 kV") match
// the values offered for them.
namespace FilterRules {

// The values a column offers, trimmed, without blanks and duplicates, in order of appearance.
// With seriesStarts only the first value after each blank cell (the first row counts as
// following one): the start of every measurement series.
QStringList OfferedValues(const TGridTable& table, int col, const std::vector<int>& rows, bool seriesStarts);

// The caption of a value's entry: "->" and the value, its first "&" doubled so that it shows.
QString EntryCaption(const QString& value);
// The value of an entry caption: "->" removed and exactly the "&" that was added.
QString EntryValue(const QString& caption);

// Series rule: a row whose cell is chosen keeps itself and the rows after it up to and
// including the next row with a blank cell; every other row goes.
std::vector<int> KeepSeries(const TGridTable& table, int col, const std::vector<int>& rows,
                            const QSet<QString>& chosen);
// Value rule: a row stays when its cell is chosen; with keepBlank also when it is blank.
std::vector<int> KeepMatching(const TGridTable& table, int col, const std::vector<int>& rows,
                              const QSet<QString>& chosen, bool keepBlank);

// The fields of a filter string, one per column ("Time;Phase;;" gives "Time", "Phase", "").
QStringList FilterFields(const QString& filter);
// A field is a filter when it starts with "->"; anything else means "no filter".
bool IsFilterField(const QString& field);
// The chosen values of a field, as entry texts without "->". Values are split only where a
// comma is followed by optional blanks and "->", so "->North, Bay 2" is one value.
QStringList FieldValues(const QString& field);

} // namespace FilterRules
