#include "HistoryTexts.h"

#include <cmath>

QString HistoryTexts::Deviation(double percent, QChar decimal) {
    if (!std::isfinite(percent))
        return QStringLiteral("--");
    QString t = QString::number(percent, 'f', 2) + QStringLiteral(" %");
    if (decimal != u'.')
        t.replace(u'.', decimal);
    return t;
}

QString HistoryTexts::WorstPlace(const THistoryEntry& e) {
    QStringList parts;
    if (!e.WorstPair.isEmpty())
        parts << e.WorstPair;
    if (!e.WorstTap.isEmpty())
        parts << QStringLiteral("tap %1").arg(e.WorstTap);
    if (!e.WorstPhase.isEmpty())
        parts << QStringLiteral("phase %1").arg(e.WorstPhase);
    return parts.join(QStringLiteral(", "));
}

QString HistoryTexts::Date(const THistoryEntry& e) {
    return e.TestDate.isValid() ? e.TestDate.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : e.TestDateText;
}

QStringList HistoryTexts::CsvTitles() {
    return {"Date", "File", "Worst Ratio Dev.", "Pair", "Tap", "Phase", "Rows", "Type", "Test Set"};
}

QStringList HistoryTexts::CsvFields(const THistoryEntry& e, QChar decimal) {
    QString dev = std::isfinite(e.WorstDeviation) ? QString::number(e.WorstDeviation, 'f', 2) : QString();
    if (decimal != u'.')
        dev.replace(u'.', decimal);
    return {Date(e), e.Path, dev, e.WorstPair, e.WorstTap, e.WorstPhase, QString::number(e.Rows), e.Type, e.Origin};
}
