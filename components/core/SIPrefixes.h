#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// Quantities as the operator sees them: a number with an SI prefix letter and a unit ("10.5 kV").
// Inside the application the decimal separator is "."; the locale's separator is put in only while
// reports are written (see SetDecimalSeparator).

// SI reader: value in base units and the unit text after the prefix. False for an empty text,
// a text without a number, or an incomplete number.
bool ReadSI(const QString& text, double& value, QString* unit = nullptr);
// The same after removing the first occurrence of unit from text.
bool ReadSIWithoutUnit(const QString& text, const QString& unit, double& value);
// The narrow reader of the report writers: prefixes f p n µ m k M G only, no unit text.
bool ReadSINarrow(const QByteArray& text, double& value);

// 0 for 0; else the power of ten (a multiple of 3) that brings |x| into [1, 1000).
int EngineeringExponent(double x);

// SI formatter: "400 k", "0 ", right-aligned in width when width > 0.
QString FormatSI(double value, int width, int decimals, bool killZeros, double reference = 1.0);
// Fixed-point formatter: "  0.50", right-aligned in width when width > 0.
QString FormatFixed(double value, int width, int decimals, bool killZeros);

// The decimal separator the formatters write and the reader accepts besides ".".
// The application keeps it at '.', report writers switch to the locale's for their duration.
QChar DecimalSeparator();
void SetDecimalSeparator(QChar separator);

// Prefix letters in table order (femto .. peta, index 5 the blank); set from translated texts.
void SetPrefixLetters(const QStringList& letters);
// The letter of an engineering exponent -15 .. 15 (" " for 0); empty outside the table.
QString PrefixLetter(int exponent);

// General format: the shortest text of at most 15 significant digits, "." as separator and the
// exponent as "1E-5"; non-finite values give "0".
QString FormatGeneral(double value);
