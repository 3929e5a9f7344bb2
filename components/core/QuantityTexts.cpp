#include "QuantityTexts.h"

#include "SIPrefixes.h"

#include <algorithm>
#include <cmath>

QString QuantityText(const TQuantityFormat& f, double value) {
    if (f.WithUnit) {
        if (f.IsSI())
            return FormatSI(value, f.Width, f.Decimals, f.KillZeros, f.SIFactor) + f.Unit;
        return FormatFixed(value, f.Width, f.Decimals, f.KillZeros) + ' ' + f.Unit;
    }
    if (f.Decimals != 0)
        return GeneralFloat(value, f.Decimals);
    if (!std::isfinite(value))
        return QString::number(value);
    // Adding 0.0 turns the -0 of a small negative value into 0.
    return QString::number(std::round(value) + 0.0, 'f', 0);
}

QString QuantityTextWithUnit(TQuantityFormat format, double value) {
    format.WithUnit = true;
    return QuantityText(format, value);
}

QString GeneralFloat(double value, int precision) {
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0");
    precision = std::clamp(precision, 1, 17);
    // The scientific form rounded to the precision tells the exponent after rounding (9.99 -> 1.0E1).
    const QString sci = QString::number(value, 'e', precision - 1);
    const qsizetype ePos = sci.indexOf('e');
    const int exponent = sci.mid(ePos + 1).toInt();
    QString text;
    if (exponent + 1 <= precision && std::fabs(value) >= 1e-5) {
        text = QString::number(value, 'f', std::max(0, precision - 1 - exponent));
        if (text.contains('.')) {
            while (text.endsWith('0'))
                text.chop(1);
            if (text.endsWith('.'))
                text.chop(1);
        }
    } else {
        QString mantissa = sci.left(ePos);
        if (mantissa.contains('.')) {
            while (mantissa.endsWith('0'))
                mantissa.chop(1);
            if (mantissa.endsWith('.'))
                mantissa.chop(1);
        }
        text = mantissa + 'E' + QString::number(exponent);
    }
    if (DecimalSeparator() != '.')
        text.replace('.', DecimalSeparator());
    return text;
}

bool PrefixKeyInRange(int exponent, double min, double max) {
    if (!HasRange(min, max))
        return true;
    const double a = std::fabs(min);
    const double b = std::fabs(max);
    const double high = std::max(a, b);
    const double low = min <= 0 && max >= 0 ? 0.0 : std::min(a, b);
    // Both powers straight from the exponent, so that a bound written as 0.001 meets 10^-3 exactly.
    return std::pow(10.0, exponent) <= high && std::pow(10.0, exponent + 3) > low;
}

QString FillPlaceholders(QString format, const QStringList& args) {
    qsizetype from = 0;
    for (const QString& arg : args) {
        const qsizetype at = format.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        format.replace(at, 2, arg);
        from = at + arg.size();
    }
    return format;
}
