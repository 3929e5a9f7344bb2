// Layout of the main window and moving it by its title bar.
#include "QelMain.h"

#include "ExtStaticText.h"
#include "PanelButton.h"
#include "QelPageControl.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScreen>

namespace {

QRect DesktopRect(const QWidget* w) {
    const QScreen* s = w->screen();
    return s ? s->geometry() : QRect(0, 0, 800, 600);
}

} // namespace

void TQelMainForm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormResize();
}

void TQelMainForm::FormResize() {
    const int w = width();
    const int h = height();
    esTitleBar->setGeometry(0, 0, w, TitleBarHeight);
    bnClose->setGeometry(w - TitleButtonWidth, 0, TitleButtonWidth, TitleBarHeight);
    bnMinimize->setGeometry(bnClose->x() - TitleButtonWidth, 0, TitleButtonWidth, TitleBarHeight);
    bnHelp->setGeometry(bnMinimize->x() - TitleButtonWidth, 0, TitleButtonWidth, TitleBarHeight);
    const int alarmWidth = std::min(240, std::max(0, bnHelp->x() - 200));
    esAlarms->setGeometry(bnHelp->x() - alarmWidth - 2, 1, alarmWidth, TitleBarHeight - 2);

    pnButtons->setGeometry(2, h - 2 - ButtonPanelHeight, w - 4, ButtonPanelHeight);
    const int keyWidth = (pnButtons->width() - 24) / 6;
    TPanelButton* keys[] = {bnF1, bnF2, bnF3, bnF4, bnF5, bnF6};
    for (int i = 1; i <= 6; ++i)
        keys[i - 1]->setGeometry((i - 1) * keyWidth + 4 * i, 2, keyWidth, ButtonPanelHeight - 4);
    bnF4Analysis->setGeometry(bnF4->geometry());

    PageControl1->setGeometry(0, TitleBarHeight, w, pnButtons->y() - TitleBarHeight - 2);
    PageControl1->SetTabWidth(h / 4 - 2);
}

bool TQelMainForm::CoversDesktopWidth() const {
    const QRect desktop = DesktopRect(this);
    return x() <= desktop.left() && x() + width() >= desktop.right() + 1;
}

void TQelMainForm::TitleBarMouseDown(Qt::MouseButton button, QPoint pos) {
    // A window that fills the screen stays where it is.
    if (button == Qt::LeftButton && !CoversDesktopWidth())
        FDragStart = pos;
    else
        FDragStart = QPoint(-1, -1);
}

void TQelMainForm::TitleBarMouseMove(Qt::MouseButtons buttons, QPoint pos) {
    if (!(buttons & Qt::LeftButton) || FDragStart == QPoint(-1, -1))
        return;
    const QRect desktop = DesktopRect(this);
    // Some of the title bar always stays on the screen to grab it again.
    const int left = std::min(desktop.width() - TitleBarHeight, pos.x() + x() - FDragStart.x());
    const int top = std::min(desktop.height() - TitleBarHeight, pos.y() + y() - FDragStart.y());
    move(left, top);
}

void TQelMainForm::TitleBarDoubleClick() {
    const QScreen* s = screen();
    if (!s || s->geometry().width() <= 800)
        return;
    if (CoversDesktopWidth()) {
        if (FSavedGeometry.isValid())
            setGeometry(FSavedGeometry);
    } else {
        FSavedGeometry = geometry();
        setGeometry(s->availableGeometry());
    }
    FDragStart = QPoint(-1, -1);
    FormResize();
}

bool TQelMainForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == esTitleBar && e->type() == QEvent::MouseButtonDblClick) {
        TitleBarDoubleClick();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}
