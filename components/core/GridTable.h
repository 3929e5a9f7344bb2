#pragma once
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// What the document's table element and the CSV form need from a table: its cells, sizes,
// fixed rows and columns and its component name. The filter string grid implements it over
// every row it holds, shown or filtered away; TMemoryGridTable is the plain in-memory table
// used for scratch tables. Cells are addressed column first, row 0 holding the titles.
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

    // Around a run of changes (a whole table loaded): a table that shows itself or keeps
    // derived state brings it up to date once, at the end, instead of after every change.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};

// Brackets a run of changes to a table, also when the run is left early.
class TGridTableUpdate {
public:
    explicit TGridTableUpdate(TGridTable& table) : FTable(table) { FTable.BeginUpdate(); }
    ~TGridTableUpdate() { FTable.EndUpdate(); }
    TGridTableUpdate(const TGridTableUpdate&) = delete;
    TGridTableUpdate& operator=(const TGridTableUpdate&) = delete;

private:
    TGridTable& FTable;
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

// Hands out one shared copy of a text that recurs in a column (phases, units, the time of a
// series, empty separators), so that a large table read cell by cell holds each recurring
// value once instead of once per row. Only the last few values of each column are kept.
class TColumnTexts {
public:
    // text, or an equal text handed out before for col; either shares its characters.
    QString Share(int col, const QString& text);
    void Clear() { FRecent.clear(); }

private:
    struct TRecent {
        std::array<QString, 8> Texts;
        size_t Next = 0;
    };
    std::vector<TRecent> FRecent;
};
