#pragma once
#include <QString>
#include <QStringList>

// How a numeric field writes its value: the settings that the field, its number pad and
// their range messages share.
struct TQuantityFormat {
    QString Unit;           // appended after the prefix ("V"); "%" and "" write fixed point
    int Width = 0;          // characters of the number part, prefix included; 0 = no width
    int Decimals = 0;       // decimals (without unit: significant digits, 0 = whole number)
    bool KillZeros = false; // trailing zeros of the decimals removed
    double SIFactor = 1.0;  // 1: the prefix follows the value; else every value in this factor's prefix
    bool Fixed = false;     // fixed point without prefix
    bool WithUnit = false;  // prefix and unit shown

    // The value is written with an SI prefix (and the pad offers prefix keys).
    bool IsSI() const { return Unit != QLatin1String("%") && !Unit.isEmpty() && !Fixed; }
};

// The text a numeric field shows: "           400 kV" (SI, width 16), "  0.50 %" (fixed point),
// "1.2E3" (no unit, two significant digits), "150000" (no unit, no decimals).
QString QuantityText(const TQuantityFormat& format, double value);
// The same with prefix and unit whatever WithUnit says: the bounds in hints and messages.
QString QuantityTextWithUnit(TQuantityFormat format, double value);

// Floating point in its shortest general form with `precision` significant digits: fixed point
// while the integer digits fit and |v| >= 1e-5, else "1.2E3" / "5E-6".
QString GeneralFloat(double value, int precision);

// A range is in force unless both bounds are 0; numeric field and number pad agree on this.
inline bool HasRange(double min, double max) {
    return min != 0 || max != 0;
}
inline bool OutOfRange(double v, double min, double max) {
    return HasRange(min, max) && (v < min || v > max);
}
// Positive values carry a "+" in a range that reaches below and above zero ("+5" in -10 … 10).
inline bool SignsAcrossZero(double min, double max) {
    return min < 0 && max > 0;
}

// Whether the pad offers the prefix key of 10^exponent for a range. Without a range every key;
// else a key of factor f when f <= the larger bound's magnitude and 1000 f > the smaller one's
// (0 when the range reaches zero), so every value of the range can be typed with some key.
bool PrefixKeyInRange(int exponent, double min, double max);

// The texts of KvConsts have "%s" placeholders; each takes the next argument.
QString FillPlaceholders(QString format, const QStringList& args);
