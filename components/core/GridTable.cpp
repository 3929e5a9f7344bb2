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
    // Every row already has FCols cells: only new rows need them, so that growing a large
    // table row by row does not walk all of it each time.
    const size_t old = FRows.size();
    FRows.resize(size_t(std::max(0, count)));
    for (size_t r = old; r < FRows.size(); ++r)
        FRows[r].resize(FCols);
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

QString TColumnTexts::Share(int col, const QString& text) {
    if (text.isEmpty() || col < 0)
        return text;
    if (size_t(col) >= FRecent.size())
        FRecent.resize(size_t(col) + 1);
    TRecent& recent = FRecent[size_t(col)];
    for (const QString& t : recent.Texts)
        if (t.size() == text.size() && t == text)
            return t;
    recent.Texts[recent.Next] = text;
    recent.Next = (recent.Next + 1) % recent.Texts.size();
    return text;
}
