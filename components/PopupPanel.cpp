#include "PopupPanel.h"

#include "CaptionButton.h"
#include "PanelButton.h"
#include "StateButton.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>

TPopupWindow::TPopupWindow(TCaptionButton* owner, const QColor& colour)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), FOwner(owner),
      FColour(colour) {
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFocusPolicy(Qt::StrongFocus);
    resize(0, 0);
    // When the whole application goes to the background, the pop-up goes away.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && isVisible())
            RequestClose();
    });
}

TCaptionButton* TPopupWindow::ItemButton(int k) const {
    const qsizetype i = SBItems.indexOf(k);
    return i < 0 ? nullptr : SBList.at(i);
}

void TPopupWindow::RequestClose() {
    if (FOwner)
        QCoreApplication::postEvent(FOwner, new TPopupCloseEvent(this, false));
}

void TPopupWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
        RequestClose();
    QWidget::changeEvent(e);
}

void TPopupWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        RequestClose();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TPopupWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), FColour);
    p.setPen(FColour.darker(150));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Visual themes are always on here: the pop-up takes the themed light grey.
TPopupPanelForm::TPopupPanelForm(TPanelButton* owner) : TPopupWindow(owner, QColor(0xF1, 0xF1, 0xED)) {}

TPanelButton* TPopupPanelForm::PanelBtn() const {
    return static_cast<TPanelButton*>(Owner());
}

TPopupPanel::TPopupPanel(TStateButton* owner) : TPopupWindow(owner, QColor(0x80, 0x80, 0x80)) {}

TStateButton* TPopupPanel::StateBtn() const {
    return static_cast<TStateButton*>(Owner());
}
