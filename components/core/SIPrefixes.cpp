#include "SIPrefixes.h"

#include <array>
#include <cmath>

namespace {

// Prefix letters by index 0..10 (1e-15 .. 1e15); index 5 is the blank of the plain unit.
// Translations replace them through SetPrefixLetters.
std::array<QString, 11> gLetters = {QStringLiteral("f"), QStringLiteral("p"), QStringLiteral("n"),
                                    QStringLiteral("µ"), QStringLiteral("m"), QStringLiteral(" "),
                                    QStringLiteral("k"), QStringLiteral("M"), QStringLiteral("G"),
                                    QStringLiteral("T"), QStringLiteral("P")};

// "." whatever the system's locale: documents and fields never carry a comma; only the report
// writers put the locale's separator in, for their duration.
QChar gSeparator = '.';

// Length of the longest complete number at the start of s ("-1.5E3"), 0 when there is none.
// A dangling exponent ("1E", "2E+") is not part of the number.
qsizetype LeadingNumber(const QString& s) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128)
        ++i, ++digits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128)
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < n && (s[i] == 'E' || s[i] == 'e')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-'))
            ++j;
        qsizetype expDigits = 0;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128)
            ++j, ++expDigits;
        if (expDigits > 0)
            i = j;
    }
    return i;
}

// The number at the start of s (the process separator taken as "."), and what follows it.
bool SplitNumber(QString s, double& value, QString& rest) {
    if (s.isEmpty())
        return false;
    if (gSeparator != '.')
        s.replace(gSeparator, '.');
    const qsizetype len = LeadingNumber(s);
    if (len == 0)
        return false;
    bool ok = false;
    value = s.left(len).toDouble(&ok);
    rest = s.mid(len);
    return ok;
}

double PrefixFactor(int index) {
    return std::pow(10.0, 3 * (index - 5));
}

QString KillZeros(QString t) {
    if (t.contains('.')) {
        while (t.endsWith('0'))
            t.chop(1);
        if (t.endsWith('.'))
            t.chop(1);
    }
    return t;
}

QString PadLeft(QString t, int width) {
    if (width > 0 && t.size() < width)
        t.prepend(QString(width - t.size(), ' '));
    return t;
}

QString Fixed(double v, int decimals) {
    return QString::number(v, 'f', std::max(0, decimals));
}

} // namespace

QChar DecimalSeparator() {
    return gSeparator;
}
void SetDecimalSeparator(QChar separator) {
    gSeparator = separator;
}

void SetPrefixLetters(const QStringList& letters) {
    for (int i = 0; i < 11 && i < letters.size(); ++i)
        if (!letters[i].isEmpty())
            gLetters[i] = letters[i];
}

QString PrefixLetter(int exponent) {
    const int index = exponent / 3 + 5;
    return index >= 0 && index <= 10 ? gLetters[index] : QString();
}

bool ReadSI(const QString& text, double& value, QString* unit) {
    QString s = text;
    s.remove(' ');
    if (s.isEmpty())
        return false;
    qsizetype start = 0;
    while (start < s.size()) {
        const char16_t c = s[start].unicode();
        if ((c >= 19 && c <= 42) || (c >= 58 && c <= 255))
            ++start;
        else
            break;
    }
    double v = 0;
    QString rest;
    if (!SplitNumber(s.mid(start), v, rest))
        return false;
    if (!rest.isEmpty()) {
        // Order matters: "m" before "M", and "u" stands in for "µ".
        static const int order[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 10};
        for (int index : order) {
            const QString& letter = gLetters[index];
            const bool micro = index == 3 && rest.startsWith('u');
            if ((!letter.isEmpty() && letter != " " && rest.startsWith(letter)) || micro) {
                v *= PrefixFactor(index);
                rest = rest.mid(micro ? 1 : letter.size());
                break;
            }
        }
    }
    value = v;
    if (unit)
        *unit = rest;
    return true;
}

bool ReadSIWithoutUnit(const QString& text, const QString& unit, double& value) {
    QString s = text;
    if (!unit.isEmpty()) {
        const qsizetype at = s.indexOf(unit);
        if (at >= 0)
            s.remove(at, unit.size());
    }
    return ReadSI(s, value);
}

bool ReadSINarrow(const QByteArray& text, double& value) {
    // Reports are written with the locale's separator; the narrow reader takes Latin-1 text.
    QString s = QString::fromLatin1(text);
    s.remove(' ');
    qsizetype start = 0;
    while (start < s.size() && s[start].unicode() >= 58)
        ++start;
    double v = 0;
    QString rest;
    if (!SplitNumber(s.mid(start), v, rest))
        return false;
    static const struct {
        char16_t letter;
        int index;
    } known[] = {{u'f', 0}, {u'p', 1}, {u'n', 2}, {u'µ', 3}, {u'm', 4}, {u'k', 6}, {u'M', 7}, {u'G', 8}};
    if (!rest.isEmpty())
        for (const auto& k : known)
            if (rest[0].unicode() == k.letter) {
                v *= PrefixFactor(k.index);
                break;
            }
    value = v;
    return true;
}

int EngineeringExponent(double x) {
    if (x == 0 || !std::isfinite(x))
        return 0;
    double a = std::log10(std::fabs(x));
    if (a < 0)
        a -= 2.99999999;
    const long long whole = static_cast<long long>(std::trunc(a));
    return static_cast<int>(whole / 3 * 3); // integer division rounds toward zero
}

QString FormatSI(double value, int width, int decimals, bool killZeros, double reference) {
    const int e = EngineeringExponent(reference == 1.0 ? value : reference);
    int n = decimals;
    if (width > 0)
        n = std::min(n, width - 1);
    const double scaled = value / std::pow(10.0, e);
    QString t = PadLeft(Fixed(scaled, n), width);
    while (width > 0 && t.size() > width + 1 && n > 0 && !t.endsWith('.')) {
        --n;
        t = PadLeft(Fixed(scaled, n), width);
    }
    if (width > 0 && t.endsWith('.'))
        t.chop(1);
    if (killZeros)
        t = KillZeros(t);
    if (e == 0) {
        t += ' ';
    } else if (std::abs(e) <= 15) {
        t += ' ' + PrefixLetter(e);
    } else if (e < -15) {
        t = Fixed(0.0, n);
        if (killZeros)
            t = KillZeros(t);
        t += ' ';
    } else {
        t += 'e' + QString::number(e) + ' ';
    }
    t = PadLeft(t, width);
    if (gSeparator != '.')
        t.replace('.', gSeparator);
    return t;
}

QString FormatFixed(double value, int width, int decimals, bool killZeros) {
    QString t = Fixed(value, decimals);
    if (width > 0 && t.size() > width)
        t = Fixed(value, std::max<int>(0, decimals + width - t.size()));
    if (killZeros)
        t = KillZeros(t);
    t = PadLeft(t, width);
    if (gSeparator != '.')
        t.replace('.', gSeparator);
    return t;
}

QString FormatGeneral(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // The shortest text that reads back as the 15-digit value: "0.1", not "0.100000000000000".
    QByteArray text = QByteArray::number(value, 'G', 15);
    const qsizetype e = text.indexOf('E');
    if (e >= 0) {
        // Exponent without "+" and leading zeros ("1E-5"), the form stored files of this family carry.
        QByteArray mantissa = text.left(e);
        QByteArray exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith('-');
        if (exponent.startsWith('+') || negative)
            exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith('0'))
            exponent.remove(0, 1);
        text = mantissa + 'E' + (negative ? "-" : "") + exponent;
    }
    return QString::fromLatin1(text);
}
