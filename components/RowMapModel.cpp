#include "RowMapModel.h"

#include "ShadowTable.h"

#include <algorithm>
#include <numeric>

TRowMapModel::TRowMapModel(TShadowTable* table, QObject* parent)
    : QAbstractProxyModel(parent), FTable(table) {
    QAbstractProxyModel::setSourceModel(table);
    FFixedRows = table->FixedRows();
    FMap.resize(size_t(std::max(0, table->RowCount() - 1)));
    std::iota(FMap.begin(), FMap.end(), 1);
    RebuildInverse(0);

    connect(table, &QAbstractItemModel::dataChanged, this, &TRowMapModel::SourceDataChanged);
    connect(table, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation, int first, int last) {
                Q_EMIT headerDataChanged(Qt::Horizontal, first, last);
            });
    connect(table, &QAbstractItemModel::rowsAboutToBeInserted, this,
            &TRowMapModel::SourceRowsAboutToBeInserted);
    connect(table, &QAbstractItemModel::rowsInserted, this, &TRowMapModel::SourceRowsInserted);
    connect(table, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &TRowMapModel::SourceRowsAboutToBeRemoved);
    connect(table, &QAbstractItemModel::rowsRemoved, this, &TRowMapModel::SourceRowsRemoved);
    connect(
        table, &QAbstractItemModel::columnsAboutToBeInserted, this,
        [this](const QModelIndex&, int first, int last) { beginInsertColumns(QModelIndex(), first, last); });
    connect(table, &QAbstractItemModel::columnsInserted, this, [this] { endInsertColumns(); });
    connect(
        table, &QAbstractItemModel::columnsAboutToBeRemoved, this,
        [this](const QModelIndex&, int first, int last) { beginRemoveColumns(QModelIndex(), first, last); });
    connect(table, &QAbstractItemModel::columnsRemoved, this, [this] { endRemoveColumns(); });
    connect(table, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(table, &QAbstractItemModel::modelReset, this, [this] {
        FFixedRows = FTable->FixedRows();
        FMap.resize(size_t(std::max(0, FTable->RowCount() - 1)));
        std::iota(FMap.begin(), FMap.end(), 1);
        RebuildInverse(0);
        endResetModel();
    });
    connect(table, &TShadowTable::FixedRowsChanged, this, &TRowMapModel::FixedRowsChanged);
}

int TRowMapModel::ShadowRow(int gridRow) const {
    if (gridRow == 0)
        return FTable->RowCount() > 0 ? 0 : -1;
    return gridRow > 0 && size_t(gridRow) <= FMap.size() ? FMap[size_t(gridRow - 1)] : -1;
}

int TRowMapModel::GridRow(int shadowRow) const {
    return shadowRow >= 0 && size_t(shadowRow) < FInv.size() ? FInv[size_t(shadowRow)] : -1;
}

int TRowMapModel::FixedRows() const {
    return FFixedRows;
}

void TRowMapModel::RebuildInverse(size_t from) {
    const size_t rows = size_t(FTable->RowCount());
    FInv.resize(rows);
    std::fill(FInv.begin() + std::min(from, rows), FInv.end(), -1);
    if (rows > 0)
        FInv[0] = 0;
    auto i = std::lower_bound(FMap.begin(), FMap.end(), int(from));
    for (; i != FMap.end(); ++i)
        if (size_t(*i) < rows)
            FInv[size_t(*i)] = int(i - FMap.begin()) + 1;
}

void TRowMapModel::SetMap(std::vector<int> map) {
    beginResetModel();
    FMap = std::move(map);
    FFixedRows = FTable->FixedRows();
    RebuildInverse(0);
    endResetModel();
}

void TRowMapModel::ShowAll() {
    std::vector<int> all(size_t(std::max(0, FTable->RowCount() - 1)));
    std::iota(all.begin(), all.end(), 1);
    SetMap(std::move(all));
}

void TRowMapModel::FixedRowsChanged() {
    beginResetModel();
    FFixedRows = FTable->FixedRows();
    endResetModel();
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

QModelIndex TRowMapModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex TRowMapModel::parent(const QModelIndex&) const {
    return QModelIndex();
}

int TRowMapModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, GridRowCount() - FFixedRows);
}

int TRowMapModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FTable->ColCount();
}

QModelIndex TRowMapModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid())
        return QModelIndex();
    const int s = ShadowRow(proxyIndex.row() + FFixedRows);
    return s < 0 ? QModelIndex() : FTable->index(s, proxyIndex.column());
}

QModelIndex TRowMapModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid())
        return QModelIndex();
    const int p = GridRow(sourceIndex.row()) - FFixedRows;
    return GridRow(sourceIndex.row()) < 0 || p < 0 ? QModelIndex() : createIndex(p, sourceIndex.column());
}

QVariant TRowMapModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            (Alignment ? Alignment(index.column(), index.row() + FFixedRows) : Qt::AlignLeft) |
            Qt::AlignVCenter);
    if (role == Qt::BackgroundRole)
        return index.column() < FTable->FixedCols() ? QVariant(FixedBackground) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return FTable->Cell(index.column(), ShadowRow(index.row() + FFixedRows));
}

bool TRowMapModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (Edited)
        Edited(index.column(), index.row() + FFixedRows, value.toString());
    return true;
}

QVariant TRowMapModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((Alignment ? Alignment(section, 0) : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    QStringList lines;
    for (int v = 0; v < std::max(1, FFixedRows); ++v)
        lines << FTable->Cell(section, ShadowRow(v));
    return lines.join(u'\n');
}

Qt::ItemFlags TRowMapModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (FEditable && index.column() >= FTable->FixedCols())
        f |= Qt::ItemIsEditable;
    return f;
}

void TRowMapModel::SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    int lo = -1, hi = -1;
    bool header = false;
    for (int s = topLeft.row(); s <= bottomRight.row(); ++s) {
        const int v = GridRow(s);
        if (v < 0)
            continue;
        if (v < std::max(1, FFixedRows)) {
            header = true;
            continue;
        }
        const int p = v - FFixedRows;
        lo = lo < 0 ? p : std::min(lo, p);
        hi = std::max(hi, p);
    }
    if (header)
        Q_EMIT headerDataChanged(Qt::Horizontal, topLeft.column(), bottomRight.column());
    if (lo >= 0)
        Q_EMIT dataChanged(index(lo, topLeft.column()), index(hi, bottomRight.column()));
}

void TRowMapModel::SourceRowsAboutToBeInserted(const QModelIndex&, int first, int last) {
    const int pos = int(std::lower_bound(FMap.begin(), FMap.end(), first) - FMap.begin());
    // New rows among the titles or fixed rows move the fixed rows: a new layout.
    FResetting = first == 0 || pos + 1 < FFixedRows;
    if (FResetting)
        beginResetModel();
    else
        beginInsertRows(QModelIndex(), pos + 1 - FFixedRows, pos + 1 - FFixedRows + last - first);
}

void TRowMapModel::SourceRowsInserted(const QModelIndex&, int first, int last) {
    const int count = last - first + 1;
    if (first == 0) {
        // Rows before the titles: a table of its own, shown whole.
        FMap.resize(size_t(std::max(0, FTable->RowCount() - 1)));
        std::iota(FMap.begin(), FMap.end(), 1);
    } else {
        const auto pos = std::lower_bound(FMap.begin(), FMap.end(), first);
        for (auto i = pos; i != FMap.end(); ++i)
            *i += count;
        std::vector<int> added(static_cast<size_t>(count));
        std::iota(added.begin(), added.end(), first);
        FMap.insert(pos, added.begin(), added.end());
    }
    RebuildInverse(size_t(first));
    if (FResetting) {
        FFixedRows = FTable->FixedRows();
        endResetModel();
    } else {
        endInsertRows();
    }
    FResetting = false;
}

void TRowMapModel::SourceRowsAboutToBeRemoved(const QModelIndex&, int first, int last) {
    const int lo = int(std::lower_bound(FMap.begin(), FMap.end(), first) - FMap.begin());
    const int hi = int(std::upper_bound(FMap.begin(), FMap.end(), last) - FMap.begin());
    FResetting = first == 0 || lo + 1 < FFixedRows;
    if (FResetting)
        beginResetModel();
    else if (hi > lo)
        beginRemoveRows(QModelIndex(), lo + 1 - FFixedRows, hi - FFixedRows);
}

void TRowMapModel::SourceRowsRemoved(const QModelIndex&, int first, int last) {
    const int count = last - first + 1;
    const auto lo = std::lower_bound(FMap.begin(), FMap.end(), first);
    const auto hi = std::upper_bound(lo, FMap.end(), last);
    const bool told = hi != lo;
    const auto rest = FMap.erase(lo, hi);
    for (auto i = rest; i != FMap.end(); ++i)
        *i -= count;
    if (first == 0) {
        FMap.resize(size_t(std::max(0, FTable->RowCount() - 1)));
        std::iota(FMap.begin(), FMap.end(), 1);
    }
    RebuildInverse(size_t(first));
    if (FResetting) {
        FFixedRows = FTable->FixedRows();
        endResetModel();
    } else if (told) {
        endRemoveRows();
    }
    FResetting = false;
}
