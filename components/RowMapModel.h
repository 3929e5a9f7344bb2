#pragma once
#include <QAbstractProxyModel>
#include <QBrush>

#include <functional>
#include <vector>

class TShadowTable;

// The rows a filter grid shows: its row map over the shadow table. Grid row 0 is shadow row 0
// (the titles); grid row v > 0 shows shadow row Map[v - 1], in shadow order. The model leaves
// the fixed rows to the header: its row p is grid row p + fixed rows.
//
// Rows the shadow table gains are shown (rows added to a filtered table are the caller's to
// fill); rows it loses leave the map; a new shadow table shows every row.
class TRowMapModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit TRowMapModel(TShadowTable* table, QObject* parent = nullptr);

    // Grid rows (titles included) and their shadow rows; -1 where there is none.
    int GridRowCount() const { return int(FMap.size()) + 1; }
    int ShadowRow(int gridRow) const;
    int GridRow(int shadowRow) const;
    const std::vector<int>& Map() const { return FMap; }
    // A new map (ascending shadow rows > 0); shows every row when called without one.
    void SetMap(std::vector<int> map);
    void ShowAll();
    int FixedRows() const;

    // Cell texts are edited in place when on; fixed columns never are.
    void SetEditable(bool on) { FEditable = on; }
    std::function<Qt::Alignment(int col, int gridRow)> Alignment;
    std::function<void(int col, int gridRow, const QString& text)> Edited;
    QBrush FixedBackground;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void RebuildInverse(size_t from);
    void SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void SourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void SourceRowsInserted(const QModelIndex& parent, int first, int last);
    void SourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void SourceRowsRemoved(const QModelIndex& parent, int first, int last);
    void FixedRowsChanged();

    TShadowTable* FTable;
    std::vector<int> FMap; // grid row v > 0 shows shadow row FMap[v - 1]
    std::vector<int> FInv; // shadow row -> grid row, -1 when filtered away
    bool FEditable = false;
    bool FResetting = false; // the pending source change is taken as a new table
    int FFixedRows = 0;      // the fixed rows the model's rows are counted after
};
