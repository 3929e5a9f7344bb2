#include "TimePatterns.h"

QString QtDatePattern(const QString& pattern) {
    QString out = pattern;
    out.replace(QLatin1Char('m'), QLatin1Char('M'));
    return out;
}

QString QtTimePattern(const QString& pattern) {
    QString out = pattern;
    out.replace(QLatin1String("am/pm"), QLatin1String("AP"), Qt::CaseInsensitive);
    out.replace(QLatin1String("a/p"), QLatin1String("AP"), Qt::CaseInsensitive);
    out.replace(QLatin1Char('n'), QLatin1Char('m'));
    return out;
}
