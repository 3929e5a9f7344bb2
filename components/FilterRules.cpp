#include "FilterRules.h"

#include "GridTable.h"

#include <QRegularExpression>

namespace FilterRules {

QStringList OfferedValues(const TGridTable& table, int col, const std::vector<int>& rows, bool seriesStarts) {
    QStringList values;
    QSet<QString> seen;
    bool afterBlank = true;
    for (const int r : rows) {
        const QString v = table.Cell(col, r).trimmed();
        if (v.isEmpty()) {
            afterBlank = true;
            continue;
        }
        const bool offer = !seriesStarts || afterBlank;
        afterBlank = false;
        if (offer && !seen.contains(v)) {
            seen.insert(v);
            values << v;
        }
    }
    return values;
}

QString EntryCaption(const QString& value) {
    QString text = value;
    const qsizetype amp = text.indexOf(u'&');
    if (amp >= 0)
        text.insert(amp, u'&');
    return QStringLiteral("->") + text;
}

QString EntryValue(const QString& caption) {
    QString text = caption.startsWith(QLatin1String("->")) ? caption.mid(2) : caption;
    const qsizetype amp = text.indexOf(u'&');
    if (amp >= 0 && amp + 1 < text.size() && text[amp + 1] == u'&')
        text.remove(amp, 1);
    return text;
}

std::vector<int> KeepSeries(const TGridTable& table, int col, const std::vector<int>& rows,
                            const QSet<QString>& chosen) {
    std::vector<int> kept;
    for (size_t i = 0; i < rows.size();) {
        const QString v = table.Cell(col, rows[i]).trimmed();
        if (v.isEmpty() || !chosen.contains(v)) {
            ++i;
            continue;
        }
        kept.push_back(rows[i++]);
        while (i < rows.size()) {
            const int r = rows[i++];
            kept.push_back(r);
            if (table.Cell(col, r).trimmed().isEmpty())
                break;
        }
    }
    return kept;
}

std::vector<int> KeepMatching(const TGridTable& table, int col, const std::vector<int>& rows,
                              const QSet<QString>& chosen, bool keepBlank) {
    std::vector<int> kept;
    kept.reserve(rows.size());
    for (const int r : rows) {
        const QString v = table.Cell(col, r).trimmed();
        if ((keepBlank && v.isEmpty()) || chosen.contains(v))
            kept.push_back(r);
    }
    return kept;
}

QStringList FilterFields(const QString& filter) {
    return filter.split(u';');
}

bool IsFilterField(const QString& field) {
    return field.trimmed().startsWith(QLatin1String("->"));
}

QStringList FieldValues(const QString& field) {
    static const QRegularExpression separator(QStringLiteral(",(?=\\s*->)"));
    QStringList values;
    for (const QString& part : field.split(separator)) {
        QString v = part.trimmed();
        if (v.startsWith(QLatin1String("->")))
            v = v.mid(2);
        values << v;
    }
    return values;
}

} // namespace FilterRules
