#include "ShadowTable.h"

#include <algorithm>

TShadowTable::TShadowTable(QObject* parent) : QAbstractTableModel(parent) {
    FRows.assign(5, QStringList(FCols));
}

int TShadowTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int TShadowTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FCols;
}

QVariant TShadowTable::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() || index.row() >= RowCount() ||
        index.column() >= FCols)
        return QVariant();
    return FRows[size_t(index.row())][index.column()];
}

void TShadowTable::FaceChanged() {
    if (FUpdates > 0)
        FFaceChanged = true;
    else
        Q_EMIT Replaced();
}

void TShadowTable::SetColCount(int count) {
    count = std::max(1, count);
    if (count == FCols)
        return;
    Q_EMIT AboutToResize(RowCount(), count);
    ResizeCols(count);
    FaceChanged();
}

void TShadowTable::SetRowCount(int count) {
    count = std::max(1, count);
    if (count == RowCount())
        return;
    Q_EMIT AboutToResize(count, FCols);
    ResizeRows(count);
    FaceChanged();
}

void TShadowTable::SetFixedCols(int count) {
    count = std::clamp(count, 0, FCols - 1);
    if (count == FFixedCols)
        return;
    FFixedCols = count;
    Q_EMIT FixedColsChanged();
}

void TShadowTable::SetFixedRows(int count) {
    count = std::clamp(count, 0, RowCount() - 1);
    if (count == FFixedRows)
        return;
    FFixedRows = count;
    Q_EMIT FixedRowsChanged();
}

QString TShadowTable::Cell(int col, int row) const {
    if (row < 0 || row >= RowCount() || col < 0 || col >= FCols)
        return QString();
    return FRows[size_t(row)][col];
}

void TShadowTable::SetCell(int col, int row, const QString& text) {
    WriteCell(col, row, text);
    if (FUpdates > 0)
        FFaceChanged = true;
}

void TShadowTable::BeginUpdate() {
    ++FUpdates;
}

void TShadowTable::EndUpdate() {
    if (FUpdates == 0 || --FUpdates > 0)
        return;
    FShared.Clear();
    if (FCellsChanged) {
        FCellsChanged = false;
        Q_EMIT dataChanged(index(0, 0), index(RowCount() - 1, FCols - 1));
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, FCols - 1);
    }
    if (FFaceChanged) {
        FFaceChanged = false;
        Q_EMIT Replaced();
    }
}

void TShadowTable::WriteCell(int col, int row, const QString& text) {
    if (row < 0 || row >= RowCount() || col < 0 || col >= FCols)
        return;
    QString& cell = FRows[size_t(row)][col];
    if (cell == text)
        return;
    // A table loaded cell by cell tells its views once, at the end.
    if (FUpdates > 0) {
        cell = FShared.Share(col, text);
        FCellsChanged = true;
        return;
    }
    cell = text;
    Q_EMIT dataChanged(index(row, col), index(row, col));
}

void TShadowTable::WriteRow(int row, const QStringList& cells) {
    if (row < 0 || row >= RowCount())
        return;
    QStringList& target = FRows[size_t(row)];
    for (int c = 0; c < FCols; ++c)
        target[c] = c < cells.size() ? cells[c] : QString();
    if (FUpdates > 0)
        FCellsChanged = true;
    else
        Q_EMIT dataChanged(index(row, 0), index(row, FCols - 1));
}

void TShadowTable::ResizeCols(int count) {
    count = std::max(1, count);
    if (count > FCols) {
        beginInsertColumns(QModelIndex(), FCols, count - 1);
        for (QStringList& row : FRows)
            row.resize(count);
        FCols = count;
        endInsertColumns();
    } else if (count < FCols) {
        beginRemoveColumns(QModelIndex(), count, FCols - 1);
        for (QStringList& row : FRows)
            row.resize(count);
        FCols = count;
        endRemoveColumns();
        ClampFixed();
    }
}

void TShadowTable::ResizeRows(int count) {
    count = std::max(1, count);
    const int have = RowCount();
    if (count > have) {
        InsertRows(have, count - have);
    } else if (count < have) {
        beginRemoveRows(QModelIndex(), count, have - 1);
        FRows.resize(size_t(count));
        endRemoveRows();
        ClampFixed();
    }
}

void TShadowTable::InsertRows(int at, int count) {
    if (count <= 0)
        return;
    at = std::clamp(at, 0, RowCount());
    beginInsertRows(QModelIndex(), at, at + count - 1);
    FRows.insert(FRows.begin() + at, size_t(count), QStringList(FCols));
    endInsertRows();
}

void TShadowTable::InsertRows(int at, std::vector<QStringList> rows) {
    if (rows.empty())
        return;
    at = std::clamp(at, 0, RowCount());
    for (QStringList& row : rows)
        row.resize(FCols);
    beginInsertRows(QModelIndex(), at, at + int(rows.size()) - 1);
    FRows.insert(FRows.begin() + at, std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    endInsertRows();
}

void TShadowTable::RemoveRows(const std::vector<int>& rows) {
    std::vector<std::pair<int, int>> runs;
    for (const int r : rows) {
        if (r <= 0 || r >= RowCount())
            continue;
        if (!runs.empty() && runs.back().second + 1 == r)
            runs.back().second = r;
        else
            runs.emplace_back(r, r);
    }
    if (runs.empty())
        return;
    // A few runs are told one by one, so that views keep their place; many at once are a
    // new table, which is cheaper than moving every later row once per run.
    constexpr size_t kRunsTold = 16;
    if (runs.size() <= kRunsTold) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            beginRemoveRows(QModelIndex(), run->first, run->second);
            FRows.erase(FRows.begin() + run->first, FRows.begin() + run->second + 1);
            endRemoveRows();
        }
    } else {
        beginResetModel();
        size_t out = 0;
        size_t next = 0;
        for (size_t r = 0; r < FRows.size(); ++r) {
            while (next < runs.size() && size_t(runs[next].second) < r)
                ++next;
            if (next < runs.size() && int(r) >= runs[next].first)
                continue;
            if (out != r)
                FRows[out] = std::move(FRows[r]);
            ++out;
        }
        FRows.resize(out);
        endResetModel();
    }
    ClampFixed();
}

void TShadowTable::Assign(std::vector<QStringList> rows, int cols) {
    beginResetModel();
    FRows = std::move(rows);
    if (FRows.empty())
        FRows.emplace_back();
    FCols = std::max(1, cols);
    for (QStringList& row : FRows)
        row.resize(FCols);
    endResetModel();
    ClampFixed();
}

void TShadowTable::ClampFixed() {
    SetFixedRows(FFixedRows);
    SetFixedCols(FFixedCols);
}
