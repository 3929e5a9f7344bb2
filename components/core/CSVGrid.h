#pragma once
#include "GridTable.h"

#include <QString>

#include <stdexcept>

class TOperatorIFace;

// An index outside a TCSVGrid: "CSVGrid Range Error[col,row]".
class ECSVGridRange : public std::out_of_range {
public:
    ECSVGridRange(int col, int row);
};

// An in-memory table of text cells with CSV output (the log table of the phase shift
// detector). Cells are addressed (column, row) from 0; a new table is 5 × 5.
class TCSVGrid {
public:
    TCSVGrid();

    int ColCount() const { return FCells.ColCount(); }
    int RowCount() const { return FCells.RowCount(); }
    // Existing cells are kept, new cells are empty.
    void SetColCount(int count) { FCells.SetColCount(count); }
    void SetRowCount(int count) { FCells.SetRowCount(count); }
    // Both throw ECSVGridRange for an index outside the table.
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

    // The table in CSV form (no line prefix); with units, the title of a column whose first
    // non-blank cell reads as a quantity carries its unit, and quantities go out as numbers.
    QString Text(QChar separator, bool units) const;
    // Writes Text to fileName, after the file's content when append is set and the file
    // exists. The file is replaced in one step, so a crash leaves the old one. False after
    // telling the operator "Error Saving File :".
    bool SaveToFile(const QString& fileName, QChar separator, bool append, bool units,
                    TOperatorIFace& op) const;

    const TGridTable& Table() const { return FCells; }

private:
    void Check(int col, int row) const;
    TMemoryGridTable FCells;
};

// Writes content to path crash-safely; with append, after the bytes the file holds (a line
// break put between when they do not end in one). False with a reason when nothing changed.
bool WriteTextFile(const QString& path, const QByteArray& content, bool append, QString* error);
