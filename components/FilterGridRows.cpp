// Row operations of the filter grids. Under a filter every operation first finds the table
// rows behind the grid rows it is given, and then changes exactly those.
#include "FilterGrid.h"

#include "CSVForm.h"
#include "FilterGridView.h"
#include "RowMapModel.h"
#include "ShadowTable.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>

namespace {

// Where rows inserted at grid row go in the table: before the table row shown there, or at
// the end below the last grid row.
int TableRowAt(const TRowMapModel& rows, const TShadowTable& table, int gridRow) {
    const int s = rows.ShadowRow(std::max(1, gridRow));
    return s > 0 ? s : table.RowCount();
}

} // namespace

void TFilterStringGrid::InsertRow(int row) {
    const int count = RowCount() + 1;
    Q_EMIT RowColChange(count, ColCount());
    Shadow().InsertRows(TableRowAt(*FRows, Shadow(), row), 1);
    Rebuild(true, false);
    Q_EMIT Changed();
}

void TFilterStringGrid::InsertRowAfterCurrent() {
    const int row = Row() + 1;
    InsertRow(row);
    SetRow(row);
    FModified = true;
}

void TFilterStringGrid::DeleteSelectedRows() {
    std::vector<int> rows;
    for (const int row : SelectedRows())
        if (row >= std::max(1, FixedRows()))
            rows.push_back(ShadowRow(row));
    if (rows.empty())
        return;
    const int fixed = FixedRows();
    Q_EMIT RowColChange(RowCount() - int(rows.size()), ColCount());
    std::sort(rows.begin(), rows.end());
    Shadow().RemoveRows(rows);
    if (Shadow().RowCount() == 1)
        Shadow().InsertRows(1, 1);
    // The whole table is shown again, as after every delete.
    ResetChoices();
    FRows->ShowAll();
    Shadow().SetFixedRows(std::min(fixed, Shadow().RowCount() - 1));
    FView->clearSelection();
    FModified = true;
    Rebuild(false, false);
    Q_EMIT Changed();
}

void TFilterStringGrid::DeleteCurrentRow() {
    const int row = Row();
    if (row < std::max(1, FixedRows()))
        return;
    SelectRows(row, row);
    DeleteSelectedRows();
}

QString TFilterStringGrid::CopyRowsText() const {
    QString text;
    for (const int row : SelectedRows())
        text += CommaText(RowCells(row)) + QLatin1String("\r\n");
    return text;
}

void TFilterStringGrid::CopyRows() const {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(CopyRowsText());
}

void TFilterStringGrid::PasteRows(const QString& text) {
    std::vector<QStringList> rows;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (line.trimmed().isEmpty())
            continue;
        QStringList cells = SplitCommaText(line);
        cells.resize(ColCount());
        rows.push_back(std::move(cells));
    }
    if (rows.empty())
        return;
    const int row = std::max(std::max(1, FixedRows()), Row());
    const int added = int(rows.size());
    Q_EMIT RowColChange(RowCount() + added, ColCount());
    Shadow().InsertRows(TableRowAt(*FRows, Shadow(), row), std::move(rows));
    Rebuild(true, false);
    SetRow(row + added);
    FModified = true;
    Q_EMIT Changed();
}

void TFilterStringGrid::PasteFromClipboard() {
    if (const QClipboard* clipboard = QGuiApplication::clipboard())
        PasteRows(clipboard->text());
}

void TFilterStringGrid::Assign(const TGridTable& source) {
    const int cols = std::max(1, source.ColCount());
    std::vector<QStringList> rows(size_t(std::max(1, source.RowCount())));
    for (size_t r = 0; r < rows.size(); ++r) {
        rows[r].reserve(cols);
        for (int c = 0; c < cols; ++c)
            rows[r] << source.Cell(c, int(r));
    }
    TakeRows(std::move(rows), cols);
    Shadow().SetFixedRows(source.FixedRows());
    Shadow().SetFixedCols(source.FixedCols());
    Rebuild(false, false);
}

void TFilterStringGrid::CopyFromShadow() {
    ResetChoices();
    FRows->ShowAll();
    Q_EMIT Changed();
}

QString TFilterStringGrid::FileName() const {
    return FFileName.isEmpty() ? objectName() + QStringLiteral(".CSV") : FFileName;
}
