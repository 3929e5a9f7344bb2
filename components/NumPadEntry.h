#pragma once
#include "QuantityTexts.h"

#include <QString>

// What the number pad holds while the operator types: the entry (digits, sign, point, "E" and
// exponent), the chosen prefix and what Undo goes back to. The pad's keys call these; the
// form only draws the result. An entry that is not a complete number cannot be confirmed.
class TNumPadEntry {
public:
    static constexpr int MaxLength = 24;
    // Exponents of the prefix keys p n µ m (plain) k M G.
    static constexpr int KeyExponents[] = {-12, -9, -6, -3, 0, 3, 6, 9};

    // Starts an entry for value. The entry is the value itself, not its rounded text: confirming
    // it unchanged gives value back exactly. plusSign: a positive value shows "+" when the range
    // reaches below and above zero.
    void Open(double value, const TQuantityFormat& format, double min, double max, bool plusSign);

    QString Entry() const { return FEntry; }
    bool HasPrefix() const { return FHasPrefix; }
    int Prefix() const { return FPrefix; } // exponent of the chosen prefix (multiple of 3)
    QString PrefixLetter() const;          // its letter, " " for none, empty for a fixed-point entry
    bool Fresh() const { return FFresh; }
    const TQuantityFormat& Format() const { return FFormat; }

    // Keys.
    void Digit(QChar digit);
    void Decimal(); // always ".": the reader of the application takes nothing else
    void SelectPrefix(int exponent);
    void ChangeSign();
    void Exp();
    void BackSpace();
    void Clear();
    void Undo();
    void Show();
    // Takes clipboard text ("Voltage = 400 kV ", "1.5", "2 m") when it holds a number; false if not.
    bool Paste(const QString& text);

    // The entry is a complete number: "-", ".", "0E" are not.
    bool IsNumber() const;
    // The value of entry and prefix; false while the entry is not a number.
    bool Result(double& value) const;

    // label " = " entry " " prefix unit " " (without a label from the entry on).
    QString DisplayText(const QString& label) const;
    // Where the entry stands in DisplayText.
    int EntryStart(const QString& label) const { return label.isEmpty() ? 0 : int(label.size()) + 3; }

    // Prefix keys at all (SI entry in the value's own prefix), and whether the key of an exponent is
    // offered: inside the range, or the chosen one.
    bool PrefixKeys() const { return FFormat.IsSI() && FFormat.SIFactor == 1.0; }
    bool PrefixKeyVisible(int exponent) const;

    // The text of a number as an entry ("1.2345", "5E-12"): the shortest that reads back exactly.
    static QString ShortestEntry(double value);
    // A complete number in entry syntax.
    static bool IsNumberText(const QString& text);

private:
    void Write(double value); // entry and prefix for value in the pad's form
    void Touch();             // an editing key: the next digit no longer replaces the entry
    qsizetype SignLength() const;

    TQuantityFormat FFormat;
    double FMin = 0;
    double FMax = 0;
    bool FPlusSign = false;
    double FOpenValue = 0;
    QString FEntry;
    bool FHasPrefix = false;
    int FPrefix = 0;
    QString FInitial;
    int FInitialPrefix = 0;
    bool FFresh = true;
};
