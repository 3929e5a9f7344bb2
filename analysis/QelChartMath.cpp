#include "QelChartMath.h"

#include "SIPrefixes.h"
#include "TimePatterns.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace QelChart {

std::optional<double> CellValue(const QString& text) {
    double v = 0;
    if (!ReadSI(text, v) || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString CellUnit(const QString& text) {
    if (text.contains(QLatin1Char('%')))
        return QStringLiteral("%");
    if (text.contains(QChar(0x00B0)))
        return QString(QChar(0x00B0));
    double v = 0;
    QString unit;
    if (!ReadSI(text, v, &unit))
        return QString();
    return unit.trimmed();
}

bool IsPlainUnit(const QString& unit) {
    return unit.isEmpty() || unit == QLatin1String("%") || unit == QString(QChar(0x00B0));
}

void TRunningStats::Add(double v) {
    if (FCount == 0) {
        FMin = FMax = FFirst = v;
    } else {
        FMin = std::min(FMin, v);
        FMax = std::max(FMax, v);
        if (std::fabs(v - FFirst) > 1e-20)
            FAllEqual = false;
    }
    ++FCount;
    const double delta = v - FMean;
    FMean += delta / FCount;
    FM2 += delta * (v - FMean);
}

TTntCalcResults TRunningStats::Result(const QString& unit) const {
    TTntCalcResults r;
    r.Unit = unit;
    r.Count = FCount;
    if (FCount == 0)
        return r;
    r.Min = FMin;
    r.Max = FMax;
    r.Mean = FMean;
    if (FCount >= 2 && !FAllEqual) {
        r.TotalVariance = std::max(0.0, FM2);
        r.Variance = r.TotalVariance / (FCount - 1);
        r.StdDev = std::sqrt(r.Variance);
    }
    return r;
}

QString StatisticValue(double v, const QString& unit) {
    if (unit.isEmpty() || unit == QLatin1String("%")) {
        QString t;
        for (int decimals = 3; decimals >= 0; --decimals) {
            t = QString::number(v, 'f', decimals);
            if (t.size() <= 5)
                break;
        }
        if (t.contains(QLatin1Char('.'))) {
            while (t.endsWith(QLatin1Char('0')))
                t.chop(1);
            if (t.endsWith(QLatin1Char('.')))
                t.chop(1);
        }
        if (t == QLatin1String("-0"))
            t = QStringLiteral("0");
        return t.rightJustified(5, QLatin1Char(' ')) + unit;
    }
    return FormatSI(v, 5, 2, false);
}

QString StatisticsText(const TTntCalcResults& r) {
    QString t = QStringLiteral("Nr: %1").arg(r.Count);
    if (r.Count == 0)
        return t;
    t += QStringLiteral("  Min: ") + StatisticValue(r.Min, r.Unit);
    t += QStringLiteral("  Max: ") + StatisticValue(r.Max, r.Unit);
    t += QStringLiteral("  Mean: ") + StatisticValue(r.Mean, r.Unit);
    t += QStringLiteral("  StdDev: ") + StatisticValue(r.StdDev, r.Unit);
    return t;
}

double RoundedStep(double v) {
    if (v == 0 || !std::isfinite(v))
        return 1;
    const double e = std::floor(std::log10(std::fabs(v)));
    const double p = std::pow(10.0, e);
    const double f = std::fabs(v) / p;
    const double step = (f < 2 ? 2 : f < 5 ? 5 : 10) * p;
    return v < 0 ? -step : step;
}

namespace {

bool Finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

// A range that Qt can draw: finite, ordered and not empty.
void MakeDrawable(double& lo, double& hi, double fallbackLo, double fallbackHi) {
    if (!Finite(lo, hi)) {
        lo = fallbackLo;
        hi = fallbackHi;
    }
    if (lo > hi)
        std::swap(lo, hi);
    if (!(hi - lo > 0) || !std::isfinite(hi - lo)) {
        const double mid = std::isfinite(lo + hi) ? (lo + hi) / 2 : 0;
        lo = mid - 0.5;
        hi = mid + 0.5;
    }
}

} // namespace

TAxisResult ComputeAxes(const TAxisInput& in) {
    TAxisResult out;
    double minX = in.MinX, maxX = in.MaxX, minY = in.MinY, maxY = in.MaxY;
    const bool bands = in.Green && in.Yellow && std::isfinite(*in.Green) && std::isfinite(*in.Yellow);
    const double g = bands ? *in.Green : 0;
    const double y = bands ? *in.Yellow : 0;
    double my = 0;
    if (in.FromData) {
        if (!in.HasPoints || !Finite(minX, maxX) || !Finite(minY, maxY)) {
            // Nothing to show: a plain frame around zero (the bands still show their limits).
            minX = -0.5;
            maxX = 0.5;
            minY = -1;
            maxY = 1;
            if (bands) {
                maxY = std::max(maxY, y);
                minY = std::min(minY, -y);
            }
        } else {
            if (bands) {
                maxY = std::max(maxY, y);
                minY = std::min(minY, -y);
            }
            if (minX == 0 && maxX == 0) {
                minX = -0.5;
                maxX = 0.5;
            }
            double mx = 0;
            if (in.TimeAxis) {
                mx = std::max(1000.0, std::fabs(maxX - minX) * 0.4);
            } else {
                mx = std::fabs(maxX - minX) * 0.05;
                if (mx == 0)
                    mx = 0.05;
            }
            minX -= mx;
            maxX += mx;
            my = (maxY - minY) * 0.1;
            if (my == 0 && maxY != 0)
                my = std::fabs(maxY) * 0.1;
            minY -= my;
            maxY += my;
        }
    }
    MakeDrawable(minX, maxX, -0.5, 0.5);
    MakeDrawable(minY, maxY, -1, 1);
    out.MinX = minX;
    out.MaxX = maxX;
    out.MinY = minY;
    out.MaxY = maxY;

    out.XStep = in.TapAxis ? 1 : (maxX - minX) / 10;
    if (in.FromData) {
        const double inner = maxY - minY - 2 * my;
        out.YStep = inner > 0 ? RoundedStep(inner / 8) : 0.5;
    } else {
        out.XStep = in.TapAxis ? 1 : RoundedStep((maxX - minX) / 10);
        out.YStep = RoundedStep((maxY - minY) / 10);
    }
    out.YAnchor = std::round(minY / out.YStep) * out.YStep;

    out.Bands = bands;
    const double w = std::fabs(maxX - minX);
    const double h = std::fabs(maxY - minY);
    out.XFrom = minX - w;
    out.XTo = maxX + w;
    out.Levels[0] = maxY + 10 * h;
    out.Levels[1] = y;
    out.Levels[2] = g;
    out.Levels[3] = -g;
    out.Levels[4] = -y;
    out.Bottom = minY - 10 * h;
    return out;
}

QDateTime ReadTime(const QString& text, const QString& dateFormat, const QString& timeFormat) {
    return TTimeReader(dateFormat, timeFormat).Read(text);
}

TTimeReader::TTimeReader(const QString& dateFormat, const QString& timeFormat) {
    if (!dateFormat.isEmpty() && !timeFormat.isEmpty())
        FForms << QtDatePattern(dateFormat) + QLatin1Char(' ') + QtTimePattern(timeFormat);
    FForms << QStringLiteral("dd.MM.yyyy hh:mm:ss") << QStringLiteral("dd.MM.yyyy h:mm:ss")
           << QStringLiteral("yyyy-MM-dd hh:mm:ss") << QStringLiteral("dd/MM/yyyy hh:mm:ss")
           << QStringLiteral("M/d/yyyy h:mm:ss AP");
}

QDateTime TTimeReader::Read(const QString& text) {
    if (!FLastText.isNull() && text == FLastText)
        return FLast;
    FLastText = text.isNull() ? QStringLiteral("") : text;
    FLast = QDateTime();
    const QString t = text.trimmed();
    if (t.isEmpty())
        return FLast;
    for (const QString& f : FForms) {
        FLast = QDateTime::fromString(t, f);
        if (FLast.isValid())
            return FLast;
    }
    FLast = QDateTime::fromString(t, Qt::ISODate);
    if (!FLast.isValid())
        FLast = QLocale().toDateTime(t, QLocale::ShortFormat);
    return FLast;
}

std::optional<qint64> TTimeReader::ReadMSecs(const QString& text) {
    if (!FLastMSecsText.isNull() && text == FLastMSecsText)
        return FLastMSecs;
    FLastMSecsText = text.isNull() ? QStringLiteral("") : text;
    FLastMSecs.reset();
    const QString t = text.trimmed();
    if (t.isEmpty())
        return FLastMSecs;
    for (const QString& f : FForms) {
        QDate date;
        QTime time;
        if (ReadNumericDateTime(t, f, date, time)) {
            FLastMSecs = LocalMSecs(date, time);
            return FLastMSecs;
        }
    }
    const QDateTime d = Read(t);
    if (d.isValid())
        FLastMSecs = d.toMSecsSinceEpoch();
    return FLastMSecs;
}

std::optional<qint64> TTimeReader::LocalMSecs(const QDate& date, const QTime& time) {
    const qint64 hour = date.toJulianDay() * 24 + time.hour();
    if (hour != FOffsetHour) {
        FOffset = QDateTime(date, QTime(time.hour(), 0)).offsetFromUtc();
        FOffsetHour = hour;
    }
    return QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch() - qint64(FOffset) * 1000;
}

bool ReadNumericDateTime(const QString& text, const QString& format, QDate& date, QTime& time) {
    int day = -1, month = -1, year = -1, hour = 0, minute = 0, second = 0, msec = 0;
    int ampm = -1; // 0 AM, 1 PM
    qsizetype at = 0;
    // Reads between min and max digits at `at`.
    const auto number = [&](int min, int max, int& out) {
        int n = 0, v = 0;
        while (n < max && at < text.size() && text[at].isDigit() && text[at].unicode() < 128) {
            v = v * 10 + (text[at].unicode() - '0');
            ++at;
            ++n;
        }
        out = v;
        return n >= min;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        const bool two = run == 2;
        bool ok = true;
        switch (c.unicode()) {
        case 'd':
            ok = run <= 2 && number(two ? 2 : 1, 2, day);
            break;
        case 'M':
            ok = run <= 2 && number(two ? 2 : 1, 2, month);
            break;
        case 'y':
            if (run == 2) {
                ok = number(2, 2, year);
                year += 1900;
            } else {
                ok = run == 4 && number(4, 4, year);
            }
            break;
        case 'h':
        case 'H':
            ok = run <= 2 && number(two ? 2 : 1, 2, hour);
            break;
        case 'm':
            ok = run <= 2 && number(two ? 2 : 1, 2, minute);
            break;
        case 's':
            ok = run <= 2 && number(two ? 2 : 1, 2, second);
            break;
        case 'z': // "z" alone is a fraction without its trailing zeros: Qt's business
            ok = run == 3 && number(3, 3, msec);
            break;
        case 'A':
        case 'a':
            if (run == 1 && i + 1 < format.size() && format[i + 1].toUpper() == QLatin1Char('P')) {
                run = 2;
                const QString mark = text.mid(at, 2).toUpper();
                ok = mark == QLatin1String("AM") || mark == QLatin1String("PM");
                ampm = mark == QLatin1String("PM") ? 1 : 0;
                at += 2;
            } else {
                ok = false;
            }
            break;
        default:
            if (c.isLetter() || c == QLatin1Char('\''))
                return false; // names, zones, quoted texts: Qt's business
            for (qsizetype k = 0; k < run && ok; ++k, ++at)
                ok = at < text.size() && text[at] == c;
            break;
        }
        if (!ok)
            return false;
        i += run;
    }
    if (at != text.size() || day < 0 || month < 0 || year < 0)
        return false;
    if (ampm >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + 12 * ampm;
    }
    date = QDate(year, month, day);
    time = QTime(hour, minute, second, msec);
    return date.isValid() && time.isValid();
}

} // namespace QelChart
