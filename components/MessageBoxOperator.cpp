#include "MessageBoxOperator.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

TOperatorIFace::TAnswer TMessageBoxOperator::Message(TKind kind, const QString& title, const QString& text,
                                                     TButtons buttons) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case TKind::Information:
        icon = QMessageBox::Information;
        break;
    case TKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    case TKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case TKind::Error:
        icon = QMessageBox::Critical;
        break;
    }
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    switch (buttons) {
    case TButtons::Ok:
        set = QMessageBox::Ok;
        break;
    case TButtons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case TButtons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        break;
    case TButtons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    QMessageBox box(icon, title.isEmpty() ? QApplication::applicationName() : title, text, set, FParent);
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return TAnswer::Cancel;
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return TAnswer::Ok;
    }
}

void TMessageBoxOperator::Beep() {
    QApplication::beep();
}

void TMessageBoxOperator::SetBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}
