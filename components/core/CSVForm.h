#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

class TGridTable;

// The separator of the operator's lists: ";" where the locale writes decimal commas, else ",".
QChar ListSeparator();

// The CSV form of a table, as the reports and the filter grids write and read it. Every line
// is a prefix and the cells of one row joined by the separator, ended by CR LF; cells are
// written with the backslash escapes, so that a line is always one row.
namespace CSVForm {

// Reading stops at this many columns; a wider file is cut there.
constexpr int MaxColumns = 256;

// A cell as it goes into a line: escaped, and in double quotes (inner quotes doubled) when it
// holds the separator or a quote, so that reading it back keeps the columns where they are.
// Every other cell is written as it stands.
QString Field(const QString& cell, QChar separator);

// The unit option. A text looks like a number when its first character after trimming is
// "+", ",", "-", "." or a digit.
bool LooksLikeNumber(const QString& text);
// Dates and times in the locale's formats and in the usual numeric shapes ("09.12.2026",
// "15:30:14", "2026-12-09 15:30"): they read as numbers but are no quantities.
bool IsDateTime(const QString& text);
// The unit a quantity shows: "%", "°", or what follows its prefix letter or first blank
// ("V" for "10 kV" and for "400 V"); empty when it shows none ("1.000").
QString UnitOf(const QString& sample);
// A quantity cell as its value in base units, written as a plain number with the decimal
// separator in force ("10 kV" gives "10000", "0.12 %" gives "0.12"); other cells unchanged.
QString PlainCell(const QString& cell);

struct TOptions {
    QString Prefix; // put in front of every line
    QChar Separator = u',';
    bool Units = false; // titles carry the unit of their column, cells go out as plain numbers
    // The title's sample cell must look like a number before its unit is taken; the
    // in-memory CSV table takes the unit of any readable sample.
    bool TitleSampleMustLookNumeric = true;
    // Columns of these titles hold texts that merely start like numbers (times, tap numbers
    // such as "9a", names): with units they keep their title and cells as they stand.
    QStringList TextTitles;
};

// The whole table in CSV form, row 0 as the titles.
QString Text(const TGridTable& table, const TOptions& options);

// One line split into its cells: quoted cells lose their quotes (doubled quotes undone), every
// cell is unescaped. An empty line is one empty cell.
QStringList SplitLine(QStringView line, QChar separator);

struct TTable {
    std::vector<QStringList> Rows; // each exactly Cols cells
    int Cols = 0;
    bool Truncated = false; // a line had more than MaxColumns cells
};
// Every line of text (CR LF, LF or CR ended; a last line break adds no row) as a row; the column
// count is that of the widest line, at most MaxColumns. An empty text is one empty row.
TTable Parse(const QString& text, QChar separator);

// A text file's bytes as text: a byte-order mark decides; without one, UTF-8 when the bytes are
// UTF-8, else Windows-1252 (files typed on Windows keep their umlauts and euro signs).
QString DecodeText(const QByteArray& bytes);
// What the files are written in: UTF-8, the system code page here.
QByteArray EncodeText(const QString& text);

// The bytes of a grid's CSV file: the whole table in CSV form without a line prefix, ended by
// exactly one CR LF, encoded as the files are written. The filter grids save this; the
// command-line tool writes the merged analysis table in the same form.
QByteArray GridFileContent(const TGridTable& table, QChar separator, bool units);

} // namespace CSVForm

// The comma text of a list (one line of an 8-bit grid file, a row on the clipboard): a field
// holding a blank, a control character, a comma or a quote is quoted with inner quotes doubled;
// a list of one empty field is "\"\"".
QString CommaText(const QStringList& fields);
// Reading: blanks between fields are skipped, an unquoted blank ends a field, a comma at the
// very end adds an empty field.
QStringList SplitCommaText(QStringView text);
