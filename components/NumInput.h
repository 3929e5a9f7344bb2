#pragma once
#include "QuantityTexts.h"

#include <QLineEdit>
#include <QPointer>

class TKovaBase;
class TOperatorIFace;
class TTntNumInputForm;

// The numeric edit field: a quantity in base units (`Value`) shown with SI prefix and unit
// ("           400 kV"), typed on a desk or, with the touch entry switch on, on the number pad.
// Every entry of the operator - Enter, leaving an edited field, OK on the pad - goes through
// one setter: range check (the hint as message), `Change` only when the value differs. The
// text is read back only when the operator edited it, so a rounded text never changes `Value`.
//
//   auto* edNomVoltage = new TTntNumEdit(this);
//   edNomVoltage->SetUnitStr("V");
//   edNomVoltage->SetNumLen(16);
//   edNomVoltage->SetFracLen(3);
//   edNomVoltage->SetKillZeros(true);
//   edNomVoltage->SetRange(1, 999e3);
//   connect(edNomVoltage, &TTntNumEdit::Change, this, &TQelSetupFrame::edNomVoltageChange);
class TTntNumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TTntNumEdit(QWidget* parent = nullptr);

    double Value() const { return FValue; }
    // The program's value (from a document): shown as it is, no range check, no Change.
    void SetValue(double v);

    QString UnitStr() const { return FFormat.Unit; }
    void SetUnitStr(const QString& unit); // also WithUnit: on for a unit, off without
    QString LabelStr() const { return FLabel; }
    void SetLabelStr(const QString& label);
    int NumLen() const { return FFormat.Width; }
    void SetNumLen(int width);
    int FracLen() const { return FFormat.Decimals; }
    void SetFracLen(int decimals);
    bool FixedLen() const { return FFormat.Fixed; }
    void SetFixedLen(bool on);
    double SIFactor() const { return FFormat.SIFactor; }
    void SetSIFactor(double factor);
    bool WithUnit() const { return FFormat.WithUnit; }
    void SetWithUnit(bool on);
    bool KillZeros() const { return FFormat.KillZeros; }
    void SetKillZeros(bool on);
    double Min() const { return FMin; }
    void SetMin(double min);
    double Max() const { return FMax; }
    void SetMax(double max);
    void SetRange(double min, double max);
    bool AllowText() const { return FAllowText; }
    void SetAllowText(bool on) { FAllowText = on; }
    bool AutoHint() const { return FAutoHint; }
    void SetAutoHint(bool on);
    const TQuantityFormat& Format() const { return FFormat; }

    // A text for the field, as if typed: a number in the range becomes Value, anything else
    // leaves it (the range message only while the field has the focus).
    void SetEntryText(const QString& text);
    // The operator's number (the pad's result): the same check; false when refused.
    bool EnterValue(double v);

    // What the field shows for Value: the quantity text, "+" before a positive value in a
    // range across zero.
    QString ValueText() const;
    // "'Nominal Voltage' between               1 V and            999 kV", or "'Clock'".
    QString HintText() const;
    // The operator changed the text since it was last written from Value.
    bool Edited() const { return FEdited; }

    // The pad while it is open (null otherwise).
    TTntNumInputForm* NumPad() const { return FPad; }

    // Where the range message goes; a message box when none is set. Passed on to the pad.
    void SetOperator(TOperatorIFace* op) { FOperator = op; }
    // Translated texts; the built-in ones when none is set.
    void SetKovaBase(const TKovaBase* base) { FKovaBase = base; }

Q_SIGNALS:
    void Change();
    void Exit();
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    // Which touch entry switch applies and which pad opens: the 8-bit twin overrides both.
    virtual bool TouchEntry() const;
    virtual TTntNumInputForm* NewNumPad();

    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void Enter(const QString& text, bool announce);
    // The one setter of operator entries: range check, then Value; false when refused.
    bool Take(double v, bool announce, bool& changed);
    void Announce(bool deferred);
    void Remake();
    void ShowText(const QString& text);
    void OpenNumPad();

    TQuantityFormat FFormat;
    double FValue = 150000;
    QString FLabel = QStringLiteral("Clock");
    double FMin = 0;
    double FMax = 0;
    bool FAllowText = false;
    bool FAutoHint = true;
    bool FEdited = false;
    QPointer<TTntNumInputForm> FPad;
    TOperatorIFace* FOperator = nullptr;
    const TKovaBase* FKovaBase = nullptr;
};

// The 8-bit twin: the plain touch entry switch and the 8-bit pad.
class TNumEdit : public TTntNumEdit {
    Q_OBJECT
public:
    explicit TNumEdit(QWidget* parent = nullptr) : TTntNumEdit(parent) {}

protected:
    bool TouchEntry() const override;
    TTntNumInputForm* NewNumPad() override;
};
