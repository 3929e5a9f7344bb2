#include "FilterGridView.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QScroller>

namespace {

void PrepareTable(QTableView* view) {
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setMinimumSectionSize(1);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setMinimumSectionSize(0);
    view->setItemDelegate(new TFilterGridDelegate(view));
    // A finger on the table drags it; a tap still picks a cell.
    QScroller::grabGesture(view->viewport(), QScroller::LeftMouseButtonGesture);
    QScrollerProperties props = QScroller::scroller(view->viewport())->scrollerProperties();
    props.setScrollMetric(QScrollerProperties::OvershootDragResistanceFactor, 0.0);
    props.setScrollMetric(QScrollerProperties::OvershootScrollDistanceFactor, 0.0);
    props.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy,
                          QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff));
    props.setScrollMetric(QScrollerProperties::VerticalOvershootPolicy,
                          QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff));
    QScroller::scroller(view->viewport())->setScrollerProperties(props);
}

} // namespace

void TFilterGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    if (text.isEmpty())
        return;
    const QPalette::ColorGroup group =
        opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    painter->drawText(opt.rect.adjusted(5, 0, -5, 0), int(opt.displayAlignment) | Qt::TextSingleLine, text);
    painter->restore();
}

QWidget* TFilterGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    FEditor = editor;
    return editor;
}

TFilterGridView::TFilterGridView(QWidget* parent) : QTableView(parent), FFixed(new QTableView(this)) {
    PrepareTable(this);
    PrepareTable(FFixed);
    FFixed->setFocusPolicy(Qt::NoFocus);
    FFixed->setFrameShape(QFrame::NoFrame);
    FFixed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FFixed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FFixed->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FFixed->hide();
    viewport()->stackUnder(FFixed);

    connect(FFixed->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, FFixed->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        if (col < FFixedCols) {
            FFixed->setColumnWidth(col, size);
            UpdateFixedGeometry();
        }
        Q_EMIT LayoutChanged();
    });
}

void TFilterGridView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    FFixed->setModel(model);
    FFixed->setSelectionModel(selectionModel());
    connect(model, &QAbstractItemModel::modelReset, this, &TFilterGridView::UpdateFixedView);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TFilterGridView::UpdateFixedView);
    connect(model, &QAbstractItemModel::columnsInserted, this, &TFilterGridView::UpdateFixedView);
    connect(model, &QAbstractItemModel::columnsRemoved, this, &TFilterGridView::UpdateFixedView);
    UpdateFixedView();
}

void TFilterGridView::SetFixedCols(int count) {
    FFixedCols = std::max(0, count);
    UpdateFixedView();
}

int TFilterGridView::FixedWidth() const {
    int width = 0;
    for (int c = 0; c < FFixedCols && model() && c < model()->columnCount(); ++c)
        width += columnWidth(c);
    return width;
}

void TFilterGridView::SetRowHeight(int height) {
    verticalHeader()->setDefaultSectionSize(height);
    FFixed->verticalHeader()->setDefaultSectionSize(height);
}

QHeaderView* TFilterGridView::TitleHeader(int col) const {
    return col < FFixedCols ? FFixed->horizontalHeader() : horizontalHeader();
}

void TFilterGridView::FinishEditing() {
    if (state() != EditingState)
        return;
    const auto* delegate = qobject_cast<const TFilterGridDelegate*>(itemDelegate());
    if (QWidget* editor = delegate ? delegate->Editor() : nullptr) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TFilterGridView::UpdateFixedView() {
    const int cols = model() ? model()->columnCount() : 0;
    for (int c = 0; c < cols; ++c) {
        FFixed->setColumnHidden(c, c >= FFixedCols);
        if (c < FFixedCols)
            FFixed->setColumnWidth(c, columnWidth(c));
    }
    FFixed->setVisible(FFixedCols > 0 && cols > 0);
    UpdateFixedGeometry();
    Q_EMIT LayoutChanged();
}

void TFilterGridView::UpdateFixedGeometry() {
    const bool header = !horizontalHeader()->isHidden();
    FFixed->horizontalHeader()->setVisible(header);
    if (header)
        FFixed->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    FFixed->setGeometry(frameWidth(), frameWidth(), FixedWidth(),
                        viewport()->height() + (header ? horizontalHeader()->height() : 0));
    FFixed->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

QModelIndex TFilterGridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // A cell that moves under the fixed columns is scrolled out from under them.
    if (cursorAction == MoveLeft && current.column() >= FFixedCols) {
        const int x = visualRect(current).left();
        if (x < FixedWidth())
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + x - FixedWidth());
    }
    return current;
}

void TFilterGridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (index.column() >= FFixedCols) {
        QTableView::scrollTo(index, hint);
        return;
    }
    // A fixed cell is always in view sideways; only the rows scroll.
    const int x = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(x);
}

void TFilterGridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    UpdateFixedGeometry();
}

void TFilterGridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    Q_EMIT Scrolled();
}

void TFilterGridView::updateGeometries() {
    QTableView::updateGeometries();
    UpdateFixedGeometry();
    Q_EMIT LayoutChanged();
}
