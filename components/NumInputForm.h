#pragma once
#include "NumPadEntry.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QFrame;
class TExtStaticText;
class TKovaBase;
class TOperatorIFace;

// The number pad: a modal form of large key caps covering the window, for typing a quantity
// with a finger. It opens on the value (not on the field's rounded text), offers the prefix
// keys the range needs, and closes with OK only on a number inside the range.
//
//   auto* pad = new TTntNumInputForm(field);
//   pad->Setup(400e3, format, "Nominal Voltage", 1, 999e3);
//   connect(pad, &QDialog::accepted, field, [=] { take(pad->Value()); });
//   pad->open();
class TTntNumInputForm : public QDialog {
    Q_OBJECT
public:
    explicit TTntNumInputForm(QWidget* parent = nullptr);

    // One entry: the value, how it is written, the label of the display, the range and an
    // optional help text (else the range is explained).
    void Setup(double value, const TQuantityFormat& format, const QString& label, double min, double max,
               const QString& help = QString());
    // The confirmed value (after OK).
    double Value() const { return FValue; }

    const TNumPadEntry& Entry() const { return FEntry; }
    QString DisplayText() const;
    // The help panel's text; empty while it is hidden.
    QString HelpText() const;
    // A key by its name ("pnOK", "pnKilo", "pnDigit7", "pnDecimal").
    TExtStaticText* Key(const QString& name) const;

    // Where the range message goes; a message box over the pad when none is set.
    void SetOperator(TOperatorIFace* op) { FOperator = op; }
    // Translated texts; the built-in ones when none is set.
    void SetKovaBase(const TKovaBase* base) { FKovaBase = base; }

protected:
    // The 8-bit pad: "Delete" key, fixed English texts, "." key, no "+" sign.
    TTntNumInputForm(QWidget* parent, bool narrow);
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    TExtStaticText* AddKey(const QString& name, const QString& caption, QRect geometry);
    void Build();
    void Refresh();
    void Confirm();
    void CopyDisplay();
    void PasteClipboard();
    QString Text(const QString& key) const;

    const bool FNarrow;
    TNumPadEntry FEntry;
    QString FLabel;
    QString FHelp;
    double FMin = 0;
    double FMax = 0;
    double FValue = 0;
    TOperatorIFace* FOperator = nullptr;
    const TKovaBase* FKovaBase = nullptr;
    QLineEdit* edMemo = nullptr;
    QFrame* pnHelp = nullptr;
    QLabel* lbHelp = nullptr;
    QList<TExtStaticText*> FPrefixKeys; // in the order of TNumPadEntry::KeyExponents
    TExtStaticText* pnOK = nullptr;
};

// The 8-bit twin.
class TNumInputForm : public TTntNumInputForm {
    Q_OBJECT
public:
    explicit TNumInputForm(QWidget* parent = nullptr) : TTntNumInputForm(parent, true) {}
};
