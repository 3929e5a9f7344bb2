#include "QelTapCellDelegate.h"

#include "QelWindings.h"
#include "RowMapModel.h"

#include <QPainter>

int TTapCellDelegate::GridRow(const QModelIndex& index) {
    const auto* model = qobject_cast<const TRowMapModel*>(index.model());
    return index.row() + (model ? model->FixedRows() : 1);
}

QModelIndex TTapCellDelegate::ModelIndex(const QAbstractItemModel* model, int col, int gridRow) {
    const auto* rows = qobject_cast<const TRowMapModel*>(model);
    return model ? model->index(gridRow - (rows ? rows->FixedRows() : 1), col) : QModelIndex();
}

void TTapCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (Highlighted && Highlighted(GridRow(index)) && !(option.state & QStyle::State_Selected))
        painter->fillRect(option.rect, QColor(0xC0, 0xC0, 0xC0));
    TFilterGridDelegate::paint(painter, option, index);
}

QWidget* TTapCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (index.column() != QelWindings::ColVoltage && index.column() != QelWindings::ColName)
        return nullptr;
    return TFilterGridDelegate::createEditor(parent, option, index);
}
