#pragma once
#include "CaptionItems.h"
#include "GridTable.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class TCaptionButton;
class TFilterGridView;
class TOperatorIFace;
class TRowMapModel;
class TShadowTable;
class QTableView;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The table control of the application: a text grid that keeps every row in its shadow table
// and shows the rows that pass the filters of its columns. A filterable column carries a touch
// button over its title cell whose pop-up lists the column's values; ticking values filters
// the rows. Two variants share this class: TTntFStringGrid and TFStringGrid (FStringGrids.h).
//
// Addresses are (column, grid row) with row 0 the titles, as the grid shows them. A filtered
// grid shows fewer rows than its table holds; Table() is every row, as the document stores it:
//
//   grid.StoreFrom(sgMeasData->Table(), 0);   // every row, filtered or not
//   grid.LoadInto(sgMeasData->Table());       // filters kept by value and applied again
//
// Nothing the grid does drops or reorders a row of its table except the row operations that
// say so, and those act on exactly the rows meant, filtered or not.
class TFilterStringGrid : public QWidget {
    Q_OBJECT
public:
    explicit TFilterStringGrid(QWidget* parent = nullptr);
    ~TFilterStringGrid() override;

    // Every row of the table, shown or not (the document's and the CSV files' view of it).
    TGridTable& Table();
    const TGridTable& Table() const;

    // Sizes as shown. Growing adds empty rows at the end of the table (shown, also under a
    // filter); shrinking removes the last shown rows from the table. Both rebuild the filter
    // buttons keeping the choices, announced by RowColChange before and Changed after.
    int RowCount() const;
    void SetRowCount(int count);
    int ColCount() const;
    void SetColCount(int count); // a smaller count drops the removed columns' cells
    int FixedRows() const;
    void SetFixedRows(int count);
    int FixedCols() const;
    void SetFixedCols(int count);

    // Cells and rows as shown; writing goes to the table row shown there.
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    QStringList RowCells(int row) const;
    void SetRowCells(int row, const QStringList& cells);
    // The table row shown in grid row row (-1 for none), and the grid row of a table row.
    int ShadowRow(int row) const;
    int GridRow(int shadowRow) const;

    // The current cell.
    int Row() const;
    void SetRow(int row);
    int Col() const;
    void SetCol(int col);
    void FirstRow();
    void PriorRow(); // not above row 1
    void NextRow();
    void LastRow();
    // Grid rows with a selected cell, ascending.
    std::vector<int> SelectedRows() const;
    void SelectRows(int first, int last);
    // Exactly these grid rows selected (rows out of range are passed over).
    void SelectGridRows(const std::vector<int>& rows);
    void SelectAllRows(); // rows 1 to the last

    // Row operations.
    void InsertRow(int row); // an empty row at row, the rows from there move down
    void InsertRowAfterCurrent();
    // Deletes exactly the table rows shown in the selected grid rows; the filter is lifted.
    void DeleteSelectedRows();
    void DeleteCurrentRow();
    QString CopyRowsText() const; // the selected rows as comma texts, one a line
    void CopyRows() const;        // ... to the clipboard
    // Every non-blank line a new row (comma text, fields past the columns ignored), all in one
    // go at the current row, which moves down past them.
    void PasteRows(const QString& text);
    void PasteFromClipboard();
    // Copies sizes and cells of another table and shows every row.
    void Assign(const TGridTable& source);
    // Shows every row of the table; the filters are lifted.
    void CopyFromShadow();

    // Filters.
    using THasFilter = std::function<void(int col, TSGSelection& hasFilter, bool& sorted)>;
    using TGetFilterEntries = std::function<void(int col, QStringList& entries)>;
    using TIsInList = std::function<bool(const QStringList& values, int col, int shadowRow)>;
    using TGetAlignment = std::function<TAlignment(int col, int row)>;
    void SetOnHasFilter(THasFilter fn) { FOnHasFilter = std::move(fn); }
    void SetOnGetFilterEntries(TGetFilterEntries fn) { FOnGetFilterEntries = std::move(fn); }
    void SetOnIsInList(TIsInList fn) { FOnIsInList = std::move(fn); }
    void SetOnGetAlignment(TGetAlignment fn);
    // Asks OnHasFilter for every column and gives each filterable one its button with the
    // column's values. Values chosen before stay chosen where they are still offered, and the
    // filters are applied again, so that buttons and rows always agree.
    void RebuildFilterButtons();
    void ApplyFilters();
    // One field per column and a ";" after each: the button's caption ("Time" for no filter,
    // "->A, ->B" for chosen values), nothing for a column without button.
    QString FilterString() const;
    void SetFilterString(const QString& filter);
    // The button over the title cell of col, or null.
    TCaptionButton* FilterButton(int col) const;
    // True when some column hides rows.
    bool IsFiltered() const;

    // Column widths; zero width hides a column (and its filter button).
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int DefaultRowHeight() const { return FRowHeight; }
    void SetDefaultRowHeight(int height);
    // Each shown column as wide as its widest text (all rows, or the titles alone) between
    // MinColWidth and MaxColWidth; a table narrower than the grid is widened to fill it, by at
    // most a fifth unless stretched. Rebuilds the filter buttons.
    void FitColWidths(bool allRows, bool stretch);
    static constexpr int MinColWidth = 10;
    static constexpr int MaxColWidth = 150;

    // CSV. The separator is the locale's list separator unless given.
    QString ExportCSVText(const QString& prefix, QChar separator, bool units) const;
    // The whole table into fileName (after its content when appending); the file is replaced
    // in one step. Clears Modified on success; tells the operator and returns false otherwise.
    virtual bool SaveToFile(const QString& fileName, bool units = false, bool append = false) = 0;
    // Replaces the table with the file; a missing or unreadable file is reported and leaves
    // the table as it was.
    virtual bool LoadFromFile(const QString& fileName, QChar separator) = 0;
    bool LoadFromFile(const QString& fileName);
    bool LoadWithDialog();
    bool SaveWithDialog(bool units = false);
    QString FileName() const;
    void SetFileName(const QString& name) { FFileName = name; }

    bool Modified() const { return FModified; }
    void SetModified(bool on) { FModified = on; }
    // Cells may be edited in place (fixed columns never).
    bool Editing() const { return FEditing; }
    void SetEditing(bool on);

    // Handed to the filter buttons for their look (the gradient buttons of TFStringGrid).
    bool CenterColor() const { return FCenterColor; }
    void SetCenterColor(bool on) { FCenterColor = on; }
    double ColorScale() const { return FColorScale; }
    void SetColorScale(double scale) { FColorScale = scale; }
    QColor GradientStart() const { return FGradientStart; }
    void SetGradientStart(const QColor& c) { FGradientStart = c; }
    QColor GradientMid() const { return FGradientMid; }
    void SetGradientMid(const QColor& c) { FGradientMid = c; }
    QColor GradientEnd() const { return FGradientEnd; }
    void SetGradientEnd(const QColor& c) { FGradientEnd = c; }

    // Where messages go (the grid's and its buttons'); message boxes over the grid when none is set.
    void SetOperator(TOperatorIFace* op);

    TFilterGridView* View() const { return FView; }

Q_SIGNALS:
    void Changed(); // after loading, filtering, deleting, inserting, pasting
    void RowColChange(int newRowCount, int newColCount);     // before the row or column count changes
    void SetEditText(int col, int row, const QString& text); // a cell was edited in place
    void TopLeftChanged();

protected:
    // What tells the variants apart.
    virtual TCaptionButton* NewFilterButton(QWidget* parent) = 0;
    // The wide variant: column 0 offers and filters whole measurement series, and blank cells
    // stay under the filters of other columns.
    virtual bool SeriesRules() const = 0;

    TOperatorIFace& Operator();
    TShadowTable& Shadow() const { return *FTable; }
    // A new table from a file: every row shown, choices dropped.
    void TakeRows(std::vector<QStringList> rows, int cols);
    // Every table row.
    std::vector<int> AllRows() const;

private:
    struct TFilterSlot {
        QPointer<TCaptionButton> Button;
        TSGSelection Mode = fsNone;
        QStringList Values;       // the value of entry k is Values[k - 1]
        bool FromEntries = false; // the values came from OnGetFilterEntries
    };
    void Rebuild(bool keepChoices, bool apply);
    void PlaceButtons();
    void UpdateHeader();
    void TableReplaced();
    void CellEdited(int col, int row, const QString& text);
    void RemoveShadowRows(std::vector<int> rows);
    // The values chosen on a slot's button; false when the column does not filter.
    bool ChosenValues(int col, QStringList& values) const;
    void ResetChoices();
    Qt::Alignment CellAlignment(int col, int row) const;

    TShadowTable* FTable;
    TRowMapModel* FRows;
    TFilterGridView* FView;
    std::vector<TFilterSlot> FSlots;
    THasFilter FOnHasFilter;
    TGetFilterEntries FOnGetFilterEntries;
    TIsInList FOnIsInList;
    TGetAlignment FOnGetAlignment;
    TOperatorIFace* FOperator = nullptr;
    std::unique_ptr<TOperatorIFace> FBoxes;
    QString FFileName;
    int FRowHeight = 24;
    bool FModified = false;
    bool FEditing = false;
    bool FCenterColor = true;
    double FColorScale = 1.0;
    QColor FGradientStart = Qt::white;
    QColor FGradientMid;
    QColor FGradientEnd = QColor(128, 128, 128);
};
