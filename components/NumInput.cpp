#include "NumInput.h"

#include "EntrySwitches.h"
#include "KovaBases.h"
#include "MessageBoxOperator.h"
#include "NumInputForm.h"
#include "SIPrefixes.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

TTntNumEdit::TTntNumEdit(QWidget* parent) : QLineEdit(parent) {
    FFormat.Unit = QStringLiteral("Hz");
    connect(this, &QLineEdit::textEdited, this, [this] { FEdited = true; });
    Remake();
}

void TTntNumEdit::SetValue(double v) {
    FValue = v;
    Remake();
}

void TTntNumEdit::SetUnitStr(const QString& unit) {
    FFormat.Unit = unit;
    FFormat.WithUnit = !unit.isEmpty();
    Remake();
}
void TTntNumEdit::SetLabelStr(const QString& label) {
    FLabel = label;
    Remake();
}
void TTntNumEdit::SetNumLen(int width) {
    FFormat.Width = width;
    Remake();
}
void TTntNumEdit::SetFracLen(int decimals) {
    FFormat.Decimals = decimals;
    Remake();
}
void TTntNumEdit::SetFixedLen(bool on) {
    FFormat.Fixed = on;
    Remake();
}
void TTntNumEdit::SetSIFactor(double factor) {
    FFormat.SIFactor = factor;
    Remake();
}
void TTntNumEdit::SetWithUnit(bool on) {
    FFormat.WithUnit = on;
    Remake();
}
void TTntNumEdit::SetKillZeros(bool on) {
    FFormat.KillZeros = on;
    Remake();
}
void TTntNumEdit::SetMin(double min) {
    FMin = min;
    Remake();
}
void TTntNumEdit::SetMax(double max) {
    FMax = max;
    Remake();
}
void TTntNumEdit::SetRange(double min, double max) {
    FMin = min;
    FMax = max;
    Remake();
}
void TTntNumEdit::SetAutoHint(bool on) {
    FAutoHint = on;
    Remake();
}

QString TTntNumEdit::ValueText() const {
    QString t = QuantityText(FFormat, FValue);
    if (SignsAcrossZero(FMin, FMax) && FValue > 0) {
        qsizetype at = 0;
        while (at < t.size() && t[at] == ' ')
            ++at;
        t.insert(at, '+');
    }
    return t;
}

QString TTntNumEdit::HintText() const {
    if (!HasRange(FMin, FMax))
        return '\'' + FLabel + '\'';
    const QString format = FKovaBase ? FKovaBase->Text(QStringLiteral("SNumHint"))
                                     : TKovaBase::DefaultText(QStringLiteral("SNumHint"));
    return FillPlaceholders(
        format, {FLabel, QuantityTextWithUnit(FFormat, FMin), QuantityTextWithUnit(FFormat, FMax)});
}

void TTntNumEdit::ShowText(const QString& text) {
    setText(text);
    FEdited = false;
    if (FAutoHint)
        setToolTip(HintText());
}

void TTntNumEdit::Remake() {
    ShowText(ValueText());
}

void TTntNumEdit::Announce(bool deferred) {
    const QString text = HintText();
    auto show = [this, text] {
        if (FOperator) {
            FOperator->Error(text);
        } else {
            TMessageBoxOperator boxes(this);
            boxes.Error(text);
        }
    };
    // Never a modal box inside the focus change itself.
    if (deferred)
        QMetaObject::invokeMethod(this, show, Qt::QueuedConnection);
    else
        show();
}

bool TTntNumEdit::Take(double v, bool announce, bool& changed) {
    changed = false;
    if (OutOfRange(v, FMin, FMax)) {
        Remake();
        if (announce)
            Announce(!hasFocus());
        return false;
    }
    changed = v != FValue;
    FValue = v;
    return true;
}

void TTntNumEdit::SetEntryText(const QString& text) {
    Enter(text, hasFocus());
}

void TTntNumEdit::Enter(const QString& text, bool announce) {
    QString s = text;
    while (s.endsWith(' '))
        s.chop(1);
    if (FFormat.WithUnit && !FFormat.Unit.isEmpty() && s.contains(FFormat.Unit))
        s.chop(FFormat.Unit.size());
    if (FFormat.SIFactor != 1.0)
        s += ' ' + PrefixLetter(EngineeringExponent(FFormat.SIFactor));
    const QString trimmed = s.trimmed();
    double v = 0;
    const bool number =
        !trimmed.isEmpty() &&
        (trimmed[0].isDigit() || trimmed[0] == '+' || trimmed[0] == '-' || trimmed[0] == '.') &&
        ReadSI(trimmed, v);
    if (!number) {
        if (FAllowText) {
            FEdited = false;
            if (FAutoHint)
                setToolTip(HintText());
        } else {
            Remake();
        }
        return;
    }
    bool changed = false;
    if (!Take(v, announce, changed))
        return;
    if (FAllowText)
        ShowText(text);
    else
        Remake();
    // Handlers see the field as it now stands.
    if (changed)
        Q_EMIT Change();
}

bool TTntNumEdit::EnterValue(double v) {
    bool changed = false;
    if (!Take(v, true, changed))
        return false;
    Remake();
    if (changed)
        Q_EMIT Change();
    return true;
}

bool TTntNumEdit::TouchEntry() const {
    return TEntrySwitches::TouchEntryWide;
}

TTntNumInputForm* TTntNumEdit::NewNumPad() {
    return new TTntNumInputForm(this);
}

void TTntNumEdit::OpenNumPad() {
    if (FEdited)
        Enter(text(), true); // what was typed counts before the pad opens on the value
    TTntNumInputForm* pad = NewNumPad();
    FPad = pad;
    pad->setAttribute(Qt::WA_DeleteOnClose);
    pad->SetOperator(FOperator);
    pad->SetKovaBase(FKovaBase);
    pad->Setup(FValue, FFormat, FLabel, FMin, FMax);
    connect(pad, &QDialog::accepted, this, [this, pad] { EnterValue(pad->Value()); });
    pad->open();
}

void TTntNumEdit::focusOutEvent(QFocusEvent* e) {
    // A context menu or another window taking over is not the operator leaving the field.
    const bool leaving = e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason;
    if (leaving && FEdited)
        Enter(text(), true);
    QLineEdit::focusOutEvent(e);
    if (leaving)
        Q_EMIT Exit();
}

void TTntNumEdit::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && FEdited)
        Enter(text(), true);
    QLineEdit::keyPressEvent(e);
}

void TTntNumEdit::keyReleaseEvent(QKeyEvent* e) {
    QLineEdit::keyReleaseEvent(e);
    Q_EMIT KeyUp(e->key(), e->modifiers());
}

void TTntNumEdit::mouseReleaseEvent(QMouseEvent* e) {
    QLineEdit::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && TouchEntry() && isEnabled() && !isReadOnly() && !FPad &&
        rect().contains(e->position().toPoint()))
        OpenNumPad();
}

bool TNumEdit::TouchEntry() const {
    return TEntrySwitches::TouchEntry;
}

TTntNumInputForm* TNumEdit::NewNumPad() {
    return new TNumInputForm(this);
}
