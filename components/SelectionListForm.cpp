#include "SelectionListForm.h"

#include <QKeyEvent>
#include <QListView>
#include <QScroller>
#include <QStringListModel>

#include <algorithm>

namespace {
constexpr int kVisibleRows = 8;
}

TTntSelectionListForm::TTntSelectionListForm(QWidget* box)
    : QWidget(box, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), FBox(box) {
    setObjectName(QStringLiteral("TntSelectionListForm"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    FList = new QListView(this);
    FList->setObjectName(QStringLiteral("lbSelect"));
    FList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FList->setUniformItemSizes(true);
    FList->setFont(box->font());
    FModel = new QStringListModel(FList);
    FList->setModel(FModel);
    FList->installEventFilter(this);
    QScroller::grabGesture(FList->viewport(), QScroller::TouchGesture);
    connect(FList, &QListView::clicked, this,
            [this](const QModelIndex& index) { Q_EMIT Taken(index.data().toString()); });
}

void TTntSelectionListForm::SetItems(const QStringList& items) {
    if (FModel->stringList() != items)
        FModel->setStringList(items);
}

QStringList TTntSelectionListForm::Items() const {
    return FModel->stringList();
}

bool TTntSelectionListForm::HasItems() const {
    return FModel->rowCount() > 0;
}

void TTntSelectionListForm::Select(int row) {
    if (row < 0 || row >= FModel->rowCount()) {
        FList->clearSelection();
        return;
    }
    const QModelIndex index = FModel->index(row, 0);
    FList->setCurrentIndex(index);
    FList->scrollTo(index);
}

QString TTntSelectionListForm::SelectedText() const {
    const QModelIndexList chosen = FList->selectionModel()->selectedIndexes();
    return chosen.isEmpty() ? QString() : chosen.first().data().toString();
}

void TTntSelectionListForm::Place() {
    const int rows = std::clamp(FModel->rowCount(), 1, kVisibleRows);
    const int rowHeight = std::max(FList->sizeHintForRow(0), FList->fontMetrics().height() + 4);
    const QPoint corner = FBox->mapToGlobal(QPoint(0, FBox->height()));
    setGeometry(corner.x() - 1, corner.y() - 1, FBox->width(), rows * rowHeight + 2 * FList->frameWidth());
    FList->setGeometry(rect());
}

bool TTntSelectionListForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == FList && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString text = SelectedText();
            if (text.isEmpty())
                Q_EMIT Confirmed();
            else
                Q_EMIT Taken(text);
            return true;
        }
        if (key == Qt::Key_Escape) {
            Q_EMIT Dismissed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
