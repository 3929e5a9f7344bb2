#include "QelTapChangerAutoFill.h"

#include "NumInput.h"
#include "NumInputForm.h"
#include "QelImage.h"
#include "StateButton.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

namespace {

TNumEdit* NewVoltageField(const QString& label, QWidget* parent) {
    auto* ed = new TNumEdit(parent);
    ed->SetUnitStr(QStringLiteral("V"));
    ed->SetLabelStr(label);
    ed->SetNumLen(10);
    ed->SetFracLen(3);
    ed->SetRange(1, 10e6);
    ed->setMinimumWidth(160);
    return ed;
}

TStateButton* NewButton(const QString& item, QWidget* parent) {
    auto* b = new TStateButton(parent);
    b->SetCaptionItems({item});
    b->setMinimumSize(120, 48);
    return b;
}

} // namespace

TTapChangerAutoFillForm::TTapChangerAutoFillForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TapChangerAutoFillForm"));
    setWindowTitle(QStringLiteral("Tap Voltages Auto Fill"));
    edStart = NewVoltageField(QStringLiteral("Start Voltage"), this);
    edStart->setObjectName(QStringLiteral("edStart"));
    edEnd = NewVoltageField(QStringLiteral("End Voltage"), this);
    edEnd->setObjectName(QStringLiteral("edEnd"));
    StateButton7 = NewButton(QStringLiteral("\"OK\",1"), this);
    StateButton7->setObjectName(QStringLiteral("StateButton7"));
    StateButton6 = NewButton(QStringLiteral("\"Cancel\",0"), this);
    StateButton6->setObjectName(QStringLiteral("StateButton6"));

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Start Voltage"), this), 0, 0);
    fields->addWidget(edStart, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("End Voltage"), this), 1, 0);
    fields->addWidget(edEnd, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(StateButton7);
    buttons->addWidget(StateButton6);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(340, 180);

    connect(StateButton7, &TStateButton::Click, this, &QDialog::accept);
    connect(StateButton6, &TStateButton::Click, this, &QDialog::reject);
}

void TTapChangerAutoFillForm::Open(double start, double end) {
    edStart->SetValue(start);
    edEnd->SetValue(end);
    open();
}

double TTapChangerAutoFillForm::Start() const {
    return edStart->Value();
}

double TTapChangerAutoFillForm::End() const {
    return edEnd->Value();
}

void TTapChangerAutoFillForm::SetOperator(TOperatorIFace* op) {
    edStart->SetOperator(op);
    edEnd->SetOperator(op);
}

void TTapChangerAutoFillForm::SetImages(const TQelImage& images) {
    StateButton7->SetImageList(images.Image32x32L());
    StateButton6->SetImageList(images.Image32x32L());
}

void TTapChangerAutoFillForm::keyPressEvent(QKeyEvent* e) {
    // A field has taken what was typed into it before Enter reaches the dialog.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(e); // Escape rejects
}
