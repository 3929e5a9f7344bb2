#pragma once
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

// Cell text 5 pixels from the left or right edge of its cell (or centred), as the filter grids
// lay it out; background, selection and focus as the style draws them.
class TFilterGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // The cell editor open now, if any.
    QWidget* Editor() const { return FEditor; }

private:
    mutable QPointer<QWidget> FEditor;
};

// The table view of a filter grid: the fixed rows are its header, the fixed columns a second
// view laid over its left edge that scrolls only up and down, so that they stay in view when
// the table scrolls sideways. A finger drags the table (QScroller) on both.
class TFilterGridView : public QTableView {
    Q_OBJECT
public:
    explicit TFilterGridView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int count);
    // The view that shows the fixed columns (hidden without any).
    QTableView* FixedView() const { return FFixed; }
    // Width of the fixed columns together.
    int FixedWidth() const;
    void SetRowHeight(int height);
    // The header holding the title cell of col: the fixed view's for a fixed column.
    QHeaderView* TitleHeader(int col) const;
    // Ends a cell edit in progress, keeping what was typed.
    void FinishEditing();

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

Q_SIGNALS:
    void Scrolled();
    void LayoutChanged();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    void UpdateFixedView();
    void UpdateFixedGeometry();

    QTableView* FFixed;
    int FFixedCols = 0;
};
