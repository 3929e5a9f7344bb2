#include "NumPadEntry.h"

#include "SIPrefixes.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

double Pow10(int e) {
    return std::pow(10.0, e);
}

// mantissa × 10^e, dividing for negative exponents so that 10^-e stays exact.
double Compose(double mantissa, int e) {
    return e >= 0 ? mantissa * Pow10(e) : mantissa / Pow10(-e);
}

// A formatter's text in entry syntax: no padding, "." as the point.
QString AsEntry(QString text) {
    text = text.trimmed();
    if (DecimalSeparator() != '.')
        text.replace(DecimalSeparator(), '.');
    return text;
}

bool IsSign(QChar c) {
    return c == '-' || c == '+';
}

} // namespace

QString TNumPadEntry::ShortestEntry(double value) {
    QString t = QString::number(value, 'g', QLocale::FloatingPointShortest);
    static const QRegularExpression exponent(QStringLiteral("e([+-]?)0*(\\d)"));
    t.replace(exponent, QStringLiteral("E\\1\\2"));
    t.replace(QLatin1String("E+"), QLatin1String("E"));
    return t;
}

bool TNumPadEntry::IsNumberText(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)(E[+-]?\\d+)?$"));
    if (!number.match(text).hasMatch())
        return false;
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v);
}

void TNumPadEntry::Open(double value, const TQuantityFormat& format, double min, double max, bool plusSign) {
    FFormat = format;
    FMin = min;
    FMax = max;
    FPlusSign = plusSign && SignsAcrossZero(min, max);
    FOpenValue = value;
    Write(value);
    FInitial = FEntry;
    FInitialPrefix = FPrefix;
    FFresh = true;
}

void TNumPadEntry::Write(double value) {
    if (FFormat.IsSI()) {
        int e = EngineeringExponent(FFormat.SIFactor == 1.0 ? value : FFormat.SIFactor);
        if (std::abs(e) > 15)
            e = 0; // beyond the prefixes the entry carries its own exponent
        FHasPrefix = true;
        FPrefix = e;
        QString text = FormatSI(value, FFormat.Width, FFormat.Decimals, FFormat.KillZeros, FFormat.SIFactor);
        text = text.trimmed();
        const QString letter = ::PrefixLetter(e).trimmed();
        if (!letter.isEmpty() && text.endsWith(letter))
            text.chop(letter.size());
        text = AsEntry(text);
        // The field's rounded text only where it is the value; else every digit of it.
        if (!IsNumberText(text) || Compose(text.toDouble(), e) != value)
            text = ShortestEntry(Compose(value, -e));
        FEntry = text;
    } else {
        FHasPrefix = false;
        FPrefix = 0;
        QString text = AsEntry(FormatFixed(value, FFormat.Width, FFormat.Decimals, FFormat.KillZeros));
        if (!IsNumberText(text) || text.toDouble() != value)
            text = ShortestEntry(value);
        FEntry = text;
    }
    if (FPlusSign && value > 0 && !FEntry.isEmpty() && !IsSign(FEntry.front()))
        FEntry.prepend('+');
}

QString TNumPadEntry::PrefixLetter() const {
    if (!FHasPrefix)
        return QString();
    const QString letter = ::PrefixLetter(FPrefix);
    return letter.isEmpty() ? QStringLiteral(" ") : letter;
}

void TNumPadEntry::Touch() {
    FFresh = false;
}

qsizetype TNumPadEntry::SignLength() const {
    return !FEntry.isEmpty() && IsSign(FEntry.front()) ? 1 : 0;
}

void TNumPadEntry::Digit(QChar digit) {
    if (!digit.isDigit() || digit.unicode() > 127)
        return;
    if (FFresh)
        FEntry = FEntry.left(SignLength()); // a new number keeps its sign
    Touch();
    const QString sign = FEntry.left(SignLength());
    if (FEntry.mid(sign.size()) == QLatin1String("0"))
        FEntry = sign;
    if (FEntry.size() >= MaxLength)
        return;
    FEntry += digit;
}

void TNumPadEntry::Decimal() {
    if (FFresh)
        FEntry = FEntry.left(SignLength());
    Touch();
    if (FEntry.contains('.') || FEntry.contains('E') || FEntry.size() + 2 > MaxLength)
        return;
    if (FEntry.size() == SignLength())
        FEntry += QLatin1String("0.");
    else
        FEntry += '.';
}

void TNumPadEntry::SelectPrefix(int exponent) {
    if (!FHasPrefix)
        return;
    Touch();
    FPrefix = exponent;
}

void TNumPadEntry::ChangeSign() {
    // The sign stays fresh: after "+/-" the next digit starts a new number with that sign.
    const qsizetype e = FEntry.indexOf('E');
    const qsizetype at = e >= 0 ? e + 1 : 0;
    // A plus survives only on a mantissa whose range shows plus signs.
    if (at < FEntry.size() && FEntry[at] == '-') {
        if (e < 0 && FPlusSign)
            FEntry[at] = '+';
        else
            FEntry.remove(at, 1);
    } else if (at < FEntry.size() && FEntry[at] == '+') {
        FEntry[at] = '-';
    } else if (FEntry.size() < MaxLength) {
        FEntry.insert(at, '-');
    }
}

void TNumPadEntry::Exp() {
    Touch();
    if (FEntry.contains('E') || FEntry.size() + 2 > MaxLength)
        return;
    if (FEntry.size() == SignLength())
        FEntry += QLatin1String("0E");
    else
        FEntry += 'E';
}

void TNumPadEntry::BackSpace() {
    Touch();
    FEntry = FEntry.trimmed();
    FEntry.chop(1);
    if (FEntry.size() == SignLength())
        FEntry = QStringLiteral("0");
}

void TNumPadEntry::Clear() {
    Touch();
    FEntry = QStringLiteral("0");
}

void TNumPadEntry::Undo() {
    FEntry = FInitial;
    FPrefix = FInitialPrefix;
    FFresh = true;
}

void TNumPadEntry::Show() {
    double v = 0;
    if (!Result(v))
        return;
    Write(v);
}

bool TNumPadEntry::Paste(const QString& text) {
    QString s = text;
    const qsizetype eq = s.indexOf('=');
    if (eq >= 0)
        s = s.mid(eq + 1);
    s = s.trimmed();
    const qsizetype blank = s.indexOf(' ');
    QString number = blank >= 0 ? s.left(blank) : s;
    const QString rest = blank >= 0 ? s.mid(blank + 1) : QString();
    // Text from other programs may carry the locale's decimal comma.
    const QString localPoint = QLocale().decimalPoint();
    if (!localPoint.isEmpty() && localPoint != QLatin1String("."))
        number.replace(localPoint, QLatin1String("."));
    if (DecimalSeparator() != '.')
        number.replace(DecimalSeparator(), '.');
    number.replace('e', 'E');
    if (!IsNumberText(number))
        return false;
    if (FFormat.Unit.isEmpty()) {
        // Without a unit a pasted prefix is part of the number: "2 m" is 0.002.
        double v = 0;
        if (!ReadSI(number + rest, v))
            return false;
        number = ShortestEntry(v);
    }
    if (number.size() > MaxLength)
        return false;
    FEntry = number;
    Touch();
    if (FHasPrefix) {
        int prefix = EngineeringExponent(FFormat.SIFactor); // a bare number is in the field's prefix
        if (!rest.isEmpty() && rest.front() == ' ')
            prefix = 0; // the plain key's blank, as Copy writes it
        for (int e = -15; e <= 15; e += 3) {
            const QString letter = ::PrefixLetter(e);
            if (e != 0 && !rest.isEmpty() && (rest.startsWith(letter) || (e == -6 && rest.front() == 'u'))) {
                prefix = e;
                break;
            }
        }
        FPrefix = prefix;
    }
    return true;
}

bool TNumPadEntry::IsNumber() const {
    return IsNumberText(FEntry);
}

bool TNumPadEntry::Result(double& value) const {
    if (!IsNumber())
        return false;
    if (FEntry == FInitial && FPrefix == FInitialPrefix) {
        value = FOpenValue;
        return true;
    }
    const double v = Compose(FEntry.toDouble(), FHasPrefix ? FPrefix : 0);
    if (!std::isfinite(v))
        return false;
    value = v;
    return true;
}

QString TNumPadEntry::DisplayText(const QString& label) const {
    const QString tail = FEntry + ' ' + PrefixLetter() + FFormat.Unit + ' ';
    return label.isEmpty() ? tail : label + QLatin1String(" = ") + tail;
}

bool TNumPadEntry::PrefixKeyVisible(int exponent) const {
    if (!PrefixKeys())
        return false;
    return exponent == FPrefix || PrefixKeyInRange(exponent, FMin, FMax);
}
