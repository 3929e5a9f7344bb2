#pragma once
#include "FilterGridView.h"

#include <functional>

// Cells of a tap table: the nominal tap's row on silver unless selected; only the voltage and
// the name are typed into (the tap number is the application's, Activate has its toggle).
class TTapCellDelegate : public TFilterGridDelegate {
    Q_OBJECT
public:
    using TFilterGridDelegate::TFilterGridDelegate;

    std::function<bool(int gridRow)> Highlighted;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

    // The grid row of a cell of the view's model (its rows start after the fixed rows), and back.
    static int GridRow(const QModelIndex& index);
    static QModelIndex ModelIndex(const QAbstractItemModel* model, int col, int gridRow);
};
