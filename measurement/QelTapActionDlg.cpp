#include "QelTapActionDlg.h"

#include "PanelButton.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

namespace {
TPanelButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new TPanelButton(parent);
    b->setObjectName(QLatin1String(name));
    b->SetCaptionItems({CaptionItem::Make(caption)});
    b->setMinimumSize(130, 48);
    return b;
}
} // namespace

TDlgTapAction::TDlgTapAction(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgTapAction"));
    setWindowTitle(QStringLiteral("Select next operation .."));
    Label1 = new QLabel(QStringLiteral("Tap:"), this);
    lbTapName = new QLabel(this);
    lbTapName->setObjectName(QStringLiteral("lbTapName"));
    QFont f = lbTapName->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    lbTapName->setFont(f);
    bnNextTap = NewButton(this, "bnNextTap", QStringLiteral("Test Tap"));
    bnSkipTap = NewButton(this, "bnSkipTap", QStringLiteral("Skip  Tap"));
    bnStop = NewButton(this, "bnStop", QStringLiteral("Stop Testing "));
    connect(bnNextTap, &TPanelButton::Click, this, &TDlgTapAction::bnNextTapClick);
    connect(bnSkipTap, &TPanelButton::Click, this, &TDlgTapAction::bnSkipTapClick);
    connect(bnStop, &TPanelButton::Click, this, &TDlgTapAction::bnStopClick);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(lbTapName, 1);
    auto* keys = new QHBoxLayout;
    keys->addWidget(bnNextTap);
    keys->addWidget(bnSkipTap);
    keys->addWidget(bnStop);
    auto* layout = new QGridLayout(this);
    layout->addLayout(top, 0, 0);
    layout->addLayout(keys, 1, 0);
}

int TDlgTapAction::ShowFor(const QString& tapText) {
    lbTapName->setText(tapText);
    FResult = trNone;
    FChoice = 1;
    ShowChoice();
    if (QWidget* owner = parentWidget()) {
        adjustSize();
        move(owner->window()->geometry().center() - rect().center());
    }
    exec();
    return FResult;
}

void TDlgTapAction::CloseWith(int result) {
    FResult = result;
    if (isVisible())
        done(result);
}

void TDlgTapAction::ShowChoice() {
    TPanelButton* const chosen[] = {bnNextTap, bnSkipTap, bnStop};
    for (int i = 0; i < 3; ++i)
        chosen[i]->SetPressed(i + 1 == FChoice);
}

void TDlgTapAction::keyPressEvent(QKeyEvent* e) {
    // Enter and Escape act on key release (Escape stops nothing: the operator chooses).
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(e);
}

void TDlgTapAction::keyReleaseEvent(QKeyEvent* e) {
    int key = e->key();
    if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && (e->modifiers() & Qt::ShiftModifier)))
        key = Qt::Key_Right;
    else if (key == Qt::Key_Tab)
        key = Qt::Key_Left;
    switch (key) {
    case Qt::Key_Left:
        FChoice = FChoice == 1 ? 3 : FChoice - 1;
        ShowChoice();
        break;
    case Qt::Key_Right:
        FChoice = FChoice == 3 ? 1 : FChoice + 1;
        ShowChoice();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CloseWith(FChoice);
        break;
    default:
        QDialog::keyReleaseEvent(e);
    }
}
