#pragma once
#include <QString>
#include <QStringList>

#include <vector>

// What the document's table element needs from a string grid of the user interface: its
// cells, sizes, fixed rows and columns and its component name. The filter string grid
// implements it; TMemoryGridTable is the plain in-memory table used for scratch tables.
// Cells are addressed column first, row 0 holding the titles.
class TGridTable {
public:
    virtual ~TGridTable() = default;

    virtual QString Name() const = 0;
    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual void SetColCount(int count) = 0;
    virtual void SetRowCount(int count) = 0;
    virtual int FixedCols() const = 0;
    virtual int FixedRows() const = 0;
    virtual void SetFixedCols(int count) = 0;
    virtual void SetFixedRows(int count) = 0;
    virtual QString Cell(int col, int row) const = 0;
    virtual void SetCell(int col, int row, const QString& text) = 0;
};

class TMemoryGridTable : public TGridTable {
public:
    explicit TMemoryGridTable(const QString& name = QString(), int cols = 5, int rows = 5);

    QString Name() const override { return FName; }
    int ColCount() const override { return FCols; }
    int RowCount() const override { return int(FRows.size()); }
    void SetColCount(int count) override;
    void SetRowCount(int count) override;
    int FixedCols() const override { return FFixedCols; }
    int FixedRows() const override { return FFixedRows; }
    void SetFixedCols(int count) override { FFixedCols = count; }
    void SetFixedRows(int count) override { FFixedRows = count; }
    QString Cell(int col, int row) const override;
    void SetCell(int col, int row, const QString& text) override;

    QStringList Row(int row) const;

private:
    QString FName;
    int FCols = 0;
    int FFixedCols = 1;
    int FFixedRows = 1;
    std::vector<QStringList> FRows;
};
