#include "FilterGrid.h"

#include "CaptionButton.h"
#include "FilterGridView.h"
#include "FilterRules.h"
#include "MessageBoxOperator.h"
#include "RowMapModel.h"
#include "ShadowTable.h"

#include <QCollator>
#include <QFontMetrics>
#include <QHeaderView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace {

// Text widths of many cells: the advances of Latin-1 characters are taken once, other text is
// measured as it comes. Kerning is left out; at the width limits of the columns it is no pixel.
class TTextWidths {
public:
    explicit TTextWidths(const QFont& font) : FMetrics(font) {
        for (int ch = 0; ch < 256; ++ch)
            FLatin[size_t(ch)] = FMetrics.horizontalAdvance(QChar(ch));
    }
    int Width(const QString& text) const {
        int width = 0;
        for (const QChar ch : text) {
            if (ch.unicode() >= 256)
                return FMetrics.horizontalAdvance(text);
            width += FLatin[ch.unicode()];
        }
        return width;
    }

private:
    QFontMetrics FMetrics;
    std::array<int, 256> FLatin{};
};

TButtonLayout LayoutOf(Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight)
        return blGlyphRight;
    if (alignment & Qt::AlignHCenter)
        return blGlyphTop;
    return blGlyphLeft;
}

} // namespace

TFilterStringGrid::TFilterStringGrid(QWidget* parent)
    : QWidget(parent), FTable(new TShadowTable(this)), FRows(new TRowMapModel(FTable, this)),
      FView(new TFilterGridView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FView);
    FView->setModel(FRows);
    FView->horizontalHeader()->setDefaultSectionSize(64);
    FView->SetRowHeight(FRowHeight);
    FView->SetFixedCols(FTable->FixedCols());
    FRows->Alignment = [this](int col, int row) { return CellAlignment(col, row); };
    FRows->Edited = [this](int col, int row, const QString& text) { CellEdited(col, row, text); };
    FRows->FixedBackground = palette().button();
    FGradientMid = palette().color(QPalette::Button);

    connect(FTable, &TShadowTable::Replaced, this, &TFilterStringGrid::TableReplaced);
    connect(FTable, &TShadowTable::AboutToResize, this, &TFilterStringGrid::RowColChange);
    connect(FTable, &TShadowTable::FixedRowsChanged, this, &TFilterStringGrid::UpdateHeader);
    connect(FTable, &TShadowTable::FixedColsChanged, this, [this] {
        FView->SetFixedCols(FTable->FixedCols());
        PlaceButtons();
    });
    connect(FView, &TFilterGridView::LayoutChanged, this, &TFilterStringGrid::PlaceButtons);
    connect(FView, &TFilterGridView::Scrolled, this, [this] {
        PlaceButtons();
        Q_EMIT TopLeftChanged();
    });
    connect(this, &QObject::objectNameChanged, this, [this](const QString& name) { FTable->SetName(name); });
    UpdateHeader();
}

TFilterStringGrid::~TFilterStringGrid() {
    // The view and its buttons go first, while the grid they report to is still whole.
    FTable->disconnect(this);
    FView->disconnect(this);
    delete FView;
}

TGridTable& TFilterStringGrid::Table() {
    return *FTable;
}

const TGridTable& TFilterStringGrid::Table() const {
    return *FTable;
}

void TFilterStringGrid::SetOperator(TOperatorIFace* op) {
    FOperator = op;
    for (TFilterSlot& slot : FSlots)
        if (slot.Button)
            slot.Button->SetOperator(op);
}

TOperatorIFace& TFilterStringGrid::Operator() {
    if (FOperator)
        return *FOperator;
    if (!FBoxes)
        FBoxes = std::make_unique<TMessageBoxOperator>(this);
    return *FBoxes;
}

// ---- sizes and cells

int TFilterStringGrid::RowCount() const {
    return FRows->GridRowCount();
}

void TFilterStringGrid::SetRowCount(int count) {
    count = std::max(1, count);
    const int have = RowCount();
    if (count == have)
        return;
    Q_EMIT RowColChange(count, ColCount());
    if (count > have) {
        FTable->InsertRows(FTable->RowCount(), count - have);
    } else {
        const std::vector<int>& map = FRows->Map();
        RemoveShadowRows(std::vector<int>(map.begin() + (count - 1), map.end()));
    }
    // The new rows are the caller's to fill: the filters are not applied to them here.
    Rebuild(true, false);
    Q_EMIT Changed();
}

int TFilterStringGrid::ColCount() const {
    return FTable->ColCount();
}

void TFilterStringGrid::SetColCount(int count) {
    count = std::max(1, count);
    if (count == ColCount())
        return;
    Q_EMIT RowColChange(RowCount(), count);
    FTable->ResizeCols(count);
    Rebuild(true, false);
    ApplyFilters();
}

int TFilterStringGrid::FixedRows() const {
    return FTable->FixedRows();
}

void TFilterStringGrid::SetFixedRows(int count) {
    FTable->SetFixedRows(count);
    // Fixed rows are never filtered away.
    if (IsFiltered())
        ApplyFilters();
}

int TFilterStringGrid::FixedCols() const {
    return FTable->FixedCols();
}

void TFilterStringGrid::SetFixedCols(int count) {
    FTable->SetFixedCols(count);
}

QString TFilterStringGrid::Cell(int col, int row) const {
    return FTable->Cell(col, ShadowRow(row));
}

void TFilterStringGrid::SetCell(int col, int row, const QString& text) {
    FTable->WriteCell(col, ShadowRow(row), text);
}

QStringList TFilterStringGrid::RowCells(int row) const {
    const int s = ShadowRow(row);
    return s < 0 ? QStringList() : FTable->Row(s);
}

void TFilterStringGrid::SetRowCells(int row, const QStringList& cells) {
    FTable->WriteRow(ShadowRow(row), cells);
}

int TFilterStringGrid::ShadowRow(int row) const {
    return FRows->ShadowRow(row);
}

int TFilterStringGrid::GridRow(int shadowRow) const {
    return FRows->GridRow(shadowRow);
}

std::vector<int> TFilterStringGrid::AllRows() const {
    std::vector<int> rows(size_t(FTable->RowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

void TFilterStringGrid::UpdateHeader() {
    const int fixed = FTable->FixedRows();
    QHeaderView* header = FView->horizontalHeader();
    header->setVisible(fixed > 0);
    header->setFixedHeight(FRowHeight * std::max(1, fixed));
    FView->FixedView()->horizontalHeader()->setFixedHeight(header->height());
    PlaceButtons();
}

void TFilterStringGrid::SetDefaultRowHeight(int height) {
    FRowHeight = std::max(1, height);
    FView->SetRowHeight(FRowHeight);
    UpdateHeader();
}

void TFilterStringGrid::SetEditing(bool on) {
    FEditing = on;
    FRows->SetEditable(on);
    FView->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed
                              : QAbstractItemView::NoEditTriggers);
}

void TFilterStringGrid::CellEdited(int col, int row, const QString& text) {
    FTable->WriteCell(col, ShadowRow(row), text);
    FModified = true;
    Q_EMIT SetEditText(col, row, text);
}

void TFilterStringGrid::SetOnGetAlignment(TGetAlignment fn) {
    FOnGetAlignment = std::move(fn);
    FView->viewport()->update();
}

Qt::Alignment TFilterStringGrid::CellAlignment(int col, int row) const {
    if (!FOnGetAlignment)
        return Qt::AlignLeft;
    switch (FOnGetAlignment(col, row)) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

void TFilterStringGrid::TableReplaced() {
    Rebuild(true, false);
    ApplyFilters();
}

void TFilterStringGrid::TakeRows(std::vector<QStringList> rows, int cols) {
    Q_EMIT RowColChange(std::max<int>(1, int(rows.size())), std::max(1, cols));
    FTable->Assign(std::move(rows), cols);
    ResetChoices();
    Rebuild(false, false);
    Q_EMIT Changed();
}

void TFilterStringGrid::RemoveShadowRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(
        std::remove_if(rows.begin(), rows.end(), [this](int r) { return r <= 0 || r >= FTable->RowCount(); }),
        rows.end());
    if (rows.empty())
        return;
    // The shown rows that stay, renumbered past the removed ones.
    std::vector<int> map;
    map.reserve(FRows->Map().size());
    size_t removed = 0;
    for (const int s : FRows->Map()) {
        while (removed < rows.size() && rows[removed] < s)
            ++removed;
        if (removed < rows.size() && rows[removed] == s)
            continue;
        map.push_back(s - int(removed));
    }
    FTable->RemoveRows(rows);
    if (FRows->Map() != map)
        FRows->SetMap(std::move(map));
}

// ---- current cell and selection

int TFilterStringGrid::Row() const {
    const QModelIndex current = FView->currentIndex();
    if (current.isValid())
        return current.row() + FRows->FixedRows();
    return std::min(FixedRows(), RowCount() - 1);
}

void TFilterStringGrid::SetRow(int row) {
    const QModelIndex target = FRows->index(row - FRows->FixedRows(), std::max(0, Col()));
    if (target.isValid())
        FView->setCurrentIndex(target);
}

int TFilterStringGrid::Col() const {
    const QModelIndex current = FView->currentIndex();
    return current.isValid() ? current.column() : std::min(FixedCols(), ColCount() - 1);
}

void TFilterStringGrid::SetCol(int col) {
    const QModelIndex target = FRows->index(std::max(0, Row() - FRows->FixedRows()), col);
    if (target.isValid())
        FView->setCurrentIndex(target);
}

void TFilterStringGrid::FirstRow() {
    SetRow(1);
}

void TFilterStringGrid::PriorRow() {
    SetRow(std::max(1, Row() - 1));
}

void TFilterStringGrid::NextRow() {
    SetRow(std::min(RowCount() - 1, Row() + 1));
}

void TFilterStringGrid::LastRow() {
    SetRow(RowCount() - 1);
}

std::vector<int> TFilterStringGrid::SelectedRows() const {
    std::vector<int> rows;
    const int fixed = FRows->FixedRows();
    for (const QItemSelectionRange& range : FView->selectionModel()->selection())
        for (int p = range.top(); p <= range.bottom(); ++p)
            rows.push_back(p + fixed);
    if (rows.empty() && FView->currentIndex().isValid())
        rows.push_back(FView->currentIndex().row() + fixed);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TFilterStringGrid::SelectRows(int first, int last) {
    const int fixed = FRows->FixedRows();
    const QModelIndex from = FRows->index(std::max(first, fixed) - fixed, 0);
    const QModelIndex to = FRows->index(last - fixed, ColCount() - 1);
    if (!from.isValid() || !to.isValid())
        return;
    FView->selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
}

void TFilterStringGrid::SelectGridRows(const std::vector<int>& rows) {
    const int fixed = FRows->FixedRows();
    QItemSelection selection;
    for (const int row : rows) {
        const QModelIndex from = FRows->index(row - fixed, 0);
        const QModelIndex to = FRows->index(row - fixed, ColCount() - 1);
        if (row >= fixed && from.isValid() && to.isValid())
            selection.select(from, to);
    }
    FView->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TFilterStringGrid::SelectAllRows() {
    SelectRows(1, RowCount() - 1);
}

// ---- filters

TCaptionButton* TFilterStringGrid::FilterButton(int col) const {
    return col >= 0 && size_t(col) < FSlots.size() ? FSlots[size_t(col)].Button.data() : nullptr;
}

bool TFilterStringGrid::ChosenValues(int col, QStringList& values) const {
    const TFilterSlot& slot = FSlots[size_t(col)];
    if (!slot.Button || slot.Mode == fsNone || slot.Button->ItemChecked(0))
        return false;
    for (int k = 1; k < slot.Button->CaptionItems().size(); ++k)
        if (slot.Button->ItemChecked(k) && k - 1 < slot.Values.size())
            values << slot.Values[k - 1];
    return true;
}

bool TFilterStringGrid::IsFiltered() const {
    for (size_t c = 0; c < FSlots.size(); ++c) {
        QStringList values;
        if (ChosenValues(int(c), values))
            return true;
    }
    return false;
}

void TFilterStringGrid::ResetChoices() {
    for (TFilterSlot& slot : FSlots) {
        if (!slot.Button)
            continue;
        for (int k = 0; k < slot.Button->CaptionItems().size(); ++k)
            slot.Button->SetItemChecked(k, k == 0);
        slot.Button->SetCaption(slot.Button->CompositeCaption());
    }
}

void TFilterStringGrid::RebuildFilterButtons() {
    Rebuild(true, true);
}

void TFilterStringGrid::Rebuild(bool keepChoices, bool apply) {
    const int cols = ColCount();
    for (size_t c = size_t(cols); c < FSlots.size(); ++c)
        delete FSlots[c].Button.data();
    FSlots.resize(size_t(cols));
    if (!FOnHasFilter) {
        for (TFilterSlot& slot : FSlots) {
            delete slot.Button.data();
            slot = TFilterSlot();
        }
        if (apply && FRows->Map().size() + 1 != size_t(FTable->RowCount()))
            FRows->ShowAll();
        return;
    }
    if (RowCount() > 1 && FixedRows() == 0)
        FTable->SetFixedRows(1);

    std::vector<int> dataRows(size_t(std::max(0, FTable->RowCount() - std::max(1, FixedRows()))));
    std::iota(dataRows.begin(), dataRows.end(), std::max(1, FixedRows()));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);

    for (int c = 0; c < cols; ++c) {
        TFilterSlot& slot = FSlots[size_t(c)];
        QStringList kept;
        const bool keep = keepChoices && ChosenValues(c, kept);
        TSGSelection mode = fsNone;
        bool sorted = false;
        FOnHasFilter(c, mode, sorted);
        if (mode == fsNone || ColWidth(c) == 0) {
            delete slot.Button.data();
            slot = TFilterSlot();
            continue;
        }
        if (!slot.Button) {
            slot.Button = NewFilterButton(nullptr);
            slot.Button->SetOperator(FOperator);
            connect(slot.Button, &TCaptionButton::Click, this, &TFilterStringGrid::ApplyFilters);
        }
        TCaptionButton* button = slot.Button;
        button->SetSelection(mode);
        button->SetPopup(true);
        button->SetWordWrap(false);
        button->SetLayout(LayoutOf(CellAlignment(c, 0)));

        QStringList entries;
        if (FOnGetFilterEntries)
            FOnGetFilterEntries(c, entries);
        slot.FromEntries = !entries.isEmpty();
        QStringList values = slot.FromEntries
                                 ? entries
                                 : FilterRules::OfferedValues(*FTable, c, dataRows, SeriesRules() && c == 0);
        if (sorted)
            std::sort(values.begin(), values.end(),
                      [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        slot.Mode = mode;
        slot.Values = values;

        QStringList items;
        items.reserve(values.size() + 1);
        items << CaptionItem::Make(FTable->Cell(c, 0));
        for (const QString& v : values)
            items << CaptionItem::Make(FilterRules::EntryCaption(v));
        button->SetCaptionItems(items);
        const QSet<QString> choice(kept.begin(), kept.end());
        bool any = false;
        for (int k = 0; k < items.size(); ++k) {
            const bool on = keep && k > 0 && choice.contains(values[k - 1]);
            button->SetItemChecked(k, on);
            any = any || on;
        }
        if (!any)
            button->SetItemChecked(0, true);
        // No item is "current": the pop-up shows the ticked ones.
        button->SetState(-1);
        button->SetCaption(button->CompositeCaption());
    }
    PlaceButtons();
    if (apply)
        ApplyFilters();
}

void TFilterStringGrid::ApplyFilters() {
    FView->FinishEditing();
    const int fixed = FixedRows();
    std::vector<int> rows(size_t(std::max(0, FTable->RowCount() - std::max(1, fixed))));
    std::iota(rows.begin(), rows.end(), std::max(1, fixed));
    for (size_t c = 0; c < FSlots.size(); ++c) {
        const TFilterSlot& slot = FSlots[c];
        if (!slot.Button || slot.Mode == fsNone)
            continue;
        QStringList values;
        if (!ChosenValues(int(c), values)) {
            // "All" chosen: the values are un-chosen with it.
            for (int k = 1; k < slot.Button->CaptionItems().size(); ++k)
                slot.Button->SetItemChecked(k, false);
            slot.Button->SetCaption(slot.Button->CompositeCaption());
            continue;
        }
        if (FOnIsInList && slot.FromEntries) {
            rows.erase(std::remove_if(rows.begin(), rows.end(),
                                      [&](int s) { return !FOnIsInList(values, int(c), s); }),
                       rows.end());
            continue;
        }
        QSet<QString> chosen;
        for (const QString& v : values)
            chosen.insert(v.trimmed());
        rows = SeriesRules() && c == 0
                   ? FilterRules::KeepSeries(*FTable, 0, rows, chosen)
                   : FilterRules::KeepMatching(*FTable, int(c), rows, chosen, SeriesRules());
    }
    std::vector<int> map(size_t(std::max(0, fixed - 1)));
    std::iota(map.begin(), map.end(), 1);
    map.insert(map.end(), rows.begin(), rows.end());
    if (map != FRows->Map()) {
        const int currentShadow = ShadowRow(Row());
        const int col = Col();
        FRows->SetMap(std::move(map));
        const int row = GridRow(currentShadow);
        if (row >= FRows->FixedRows())
            FView->setCurrentIndex(FRows->index(row - FRows->FixedRows(), col));
    }
    Q_EMIT Changed();
    PlaceButtons();
}

QString TFilterStringGrid::FilterString() const {
    QString filter;
    for (int c = 0; c < ColCount(); ++c) {
        if (const TCaptionButton* button = FilterButton(c))
            filter += button->Caption();
        filter += u';';
    }
    return filter;
}

void TFilterStringGrid::SetFilterString(const QString& filter) {
    const QStringList fields = FilterRules::FilterFields(filter);
    for (int c = 0; c < ColCount(); ++c) {
        TCaptionButton* button = FilterButton(c);
        if (!button || button->CaptionItems().size() < 2)
            continue;
        const QString field = fields.value(c);
        const int count = int(button->CaptionItems().size());
        // Anything but a list of values means "no filter"; the title stays as it is.
        if (!FilterRules::IsFilterField(field)) {
            for (int k = 0; k < count; ++k)
                button->SetItemChecked(k, k == 0);
            button->SetCaption(button->CompositeCaption());
            continue;
        }
        const QStringList values = FilterRules::FieldValues(field);
        const QSet<QString> chosen(values.begin(), values.end());
        const QStringList& offered = FSlots[size_t(c)].Values;
        button->SetItemChecked(0, false);
        for (int k = 1; k < count; ++k)
            button->SetItemChecked(k, k - 1 < offered.size() &&
                                          chosen.contains(FilterRules::EntryCaption(offered[k - 1]).mid(2)));
        button->SetCaption(field.trimmed());
    }
    ApplyFilters();
}

void TFilterStringGrid::PlaceButtons() {
    const bool titles = !FView->horizontalHeader()->isHidden();
    for (size_t c = 0; c < FSlots.size(); ++c) {
        TCaptionButton* button = FSlots[c].Button;
        if (!button)
            continue;
        QHeaderView* header = FView->TitleHeader(int(c));
        if (button->parentWidget() != header->viewport())
            button->setParent(header->viewport());
        const int width = header->sectionSize(int(c));
        if (!titles || width <= 0 || header->isSectionHidden(int(c))) {
            button->hide();
            continue;
        }
        button->setGeometry(header->sectionViewportPosition(int(c)), 0, width, header->height());
        button->show();
    }
}

// ---- widths

int TFilterStringGrid::ColWidth(int col) const {
    return FView->columnWidth(col);
}

void TFilterStringGrid::SetColWidth(int col, int width) {
    FView->setColumnWidth(col, std::max(0, width));
}

void TFilterStringGrid::FitColWidths(bool allRows, bool stretch) {
    const TTextWidths metrics(FView->font());
    const int space = metrics.Width(QStringLiteral(" "));
    const int cols = ColCount();
    std::vector<int> widths(size_t(cols), 0);
    long long sum = 0;
    for (int c = 0; c < cols; ++c) {
        if (ColWidth(c) <= 0)
            continue;
        int width = MinColWidth;
        if (allRows) {
            for (int r = 0; r < RowCount() && width < MaxColWidth; ++r)
                width = std::max(width, metrics.Width(Cell(c, r)) + 3 * space);
        } else {
            width = std::max(width, metrics.Width(Cell(c, 0).trimmed()) + 2 * space);
        }
        widths[size_t(c)] = std::min(width, MaxColWidth);
        sum += widths[size_t(c)];
    }
    const int client = FView->viewport()->width();
    if (sum > 0 && sum < client) {
        double factor = double(client) / double(sum);
        if (!stretch)
            factor = std::min(factor, 1.2);
        for (int& w : widths)
            w = int(std::lround(w * factor));
    }
    for (int c = 0; c < cols; ++c)
        if (widths[size_t(c)] > 0)
            SetColWidth(c, widths[size_t(c)]);
    Rebuild(true, true);
}
