#pragma once
#include "GridTable.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

// Every row of a filter grid, shown or filtered away: the table the document stores and the
// CSV files hold. Row 0 holds the titles. As a model it has one row per table row; the grid's
// row map shows a part of it.
//
// Through its TGridTable face (the document loading a table, a merge) a change of size or,
// inside BeginUpdate/EndUpdate, of any cell is announced with Replaced once the run is over,
// so that the grid brings its filter buttons and filters up to date.
class TShadowTable : public QAbstractTableModel, public TGridTable {
    Q_OBJECT
public:
    explicit TShadowTable(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // TGridTable: sizes at least 1 × 1, fixed rows and columns fewer than rows and columns.
    QString Name() const override { return FName; }
    void SetName(const QString& name) { FName = name; }
    int ColCount() const override { return FCols; }
    int RowCount() const override { return int(FRows.size()); }
    void SetColCount(int count) override;
    void SetRowCount(int count) override;
    int FixedCols() const override { return FFixedCols; }
    int FixedRows() const override { return FFixedRows; }
    void SetFixedCols(int count) override;
    void SetFixedRows(int count) override;
    QString Cell(int col, int row) const override;
    void SetCell(int col, int row, const QString& text) override;
    void BeginUpdate() override;
    void EndUpdate() override;

    // What the grid itself does; these announce nothing beyond the model's own signals.
    const QStringList& Row(int row) const { return FRows[size_t(row)]; }
    void WriteCell(int col, int row, const QString& text);
    void WriteRow(int row, const QStringList& cells);
    void ResizeCols(int count);
    // count empty rows, or the given rows (cut or padded to the columns), before row at.
    void InsertRows(int at, int count);
    void InsertRows(int at, std::vector<QStringList> rows);
    // The rows (ascending, distinct, none of them row 0); later rows move up.
    void RemoveRows(const std::vector<int>& rows);
    // Replaces all rows; the columns become cols, every row is cut or padded to them.
    void Assign(std::vector<QStringList> rows, int cols);
    void ClampFixed();

Q_SIGNALS:
    // Before the TGridTable face changes the row or column count.
    void AboutToResize(int rows, int cols);
    // After the TGridTable face changed the table (sizes, or cells inside an update).
    void Replaced();
    void FixedRowsChanged();
    void FixedColsChanged();

private:
    void FaceChanged();
    void ResizeRows(int count);

    QString FName;
    int FCols = 5;
    int FFixedRows = 1;
    int FFixedCols = 1;
    std::vector<QStringList> FRows;
    int FUpdates = 0;
    bool FFaceChanged = false;
    bool FCellsChanged = false;
    TColumnTexts FShared; // while a table is loaded cell by cell
};
