#include "GridTable.h"

#include <algorithm>

TMemoryGridTable::TMemoryGridTable(const QString& name, int cols, int rows) : FName(name) {
    SetColCount(cols);
    SetRowCount(rows);
}

void TMemoryGridTable::SetColCount(int count) {
    FCols = std::max(0, count);
    for (QStringList& row : FRows)
        row.resize(FCols);
}

void TMemoryGridTable::SetRowCount(int count) {
    FRows.resize(size_t(std::max(0, count)));
    for (QStringList& row : FRows)
        row.resize(FCols);
}

QString TMemoryGridTable::Cell(int col, int row) const {
    if (row < 0 || row >= RowCount() || col < 0 || col >= FCols)
        return QString();
    return FRows[size_t(row)][col];
}

void TMemoryGridTable::SetCell(int col, int row, const QString& text) {
    if (row < 0 || row >= RowCount() || col < 0 || col >= FCols)
        return;
    FRows[size_t(row)][col] = text;
}

QStringList TMemoryGridTable::Row(int row) const {
    return row >= 0 && row < RowCount() ? FRows[size_t(row)] : QStringList();
}
