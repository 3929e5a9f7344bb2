#include "QelPageControl.h"

void TQelTabBar::SetTabLength(int length) {
    if (length == FTabLength)
        return;
    FTabLength = std::max(0, length);
    // The bar only asks for tab sizes again when its contents change.
    updateGeometry();
    for (int i = 0; i < count(); ++i)
        setTabText(i, tabText(i));
}

QSize TQelTabBar::tabSizeHint(int index) const {
    QSize size = QTabBar::tabSizeHint(index);
    if (FTabLength <= 0)
        return size;
    const bool vertical = shape() == QTabBar::RoundedEast || shape() == QTabBar::RoundedWest ||
                          shape() == QTabBar::TriangularEast || shape() == QTabBar::TriangularWest;
    if (vertical)
        size.setHeight(FTabLength);
    else
        size.setWidth(FTabLength);
    return size;
}

TQelPageControl::TQelPageControl(QWidget* parent) : QTabWidget(parent), FTabs(new TQelTabBar(this)) {
    setTabBar(FTabs);
    setTabPosition(QTabWidget::East);
    setDocumentMode(false);
}
