#pragma once
// Header only. A PDF read back as a person's PDF reader reads it: poppler's pdftotext, pdfinfo
// and pdffonts (package poppler-utils), run as processes.
#include <QList>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace PdfReader {

// The output of a poppler tool; empty with error set when it did not run or failed.
inline QString Run(const QString& tool, const QStringList& arguments, QString* error = nullptr) {
    QProcess p;
    p.start(tool, arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = tool + QStringLiteral(": ") + p.errorString() + QString::fromUtf8(p.readAllStandardError());
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of the pages first to last (0: to the end); with layout, the rows of a table stay
// on their lines.
inline QString Text(const QString& file, bool layout, int first = 1, int last = 0) {
    QStringList args;
    if (layout)
        args << QStringLiteral("-layout");
    args << QStringLiteral("-f") << QString::number(first);
    if (last > 0)
        args << QStringLiteral("-l") << QString::number(last);
    args << file << QStringLiteral("-");
    return Run(QStringLiteral("pdftotext"), args);
}

// The text with every run of white space made one blank: a title wrapped in its cell reads
// as one.
inline QString Words(const QString& file) {
    return Text(file, false).simplified();
}

// pdfinfo's fields ("Pages", "Page size", ...).
inline QMap<QString, QString> Info(const QString& file) {
    QMap<QString, QString> fields;
    for (const QString& line : Run(QStringLiteral("pdfinfo"), {file}).split(u'\n')) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0)
            fields.insert(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
    return fields;
}

inline int Pages(const QString& file) {
    return Info(file).value(QStringLiteral("Pages")).toInt();
}

// pdffonts' rows: the fonts used, each "name type emb sub uni".
inline QStringList Fonts(const QString& file) {
    QStringList rows = Run(QStringLiteral("pdffonts"), {file}).split(u'\n', Qt::SkipEmptyParts);
    return rows.mid(2); // the title line and its rule
}

// The right edge of the rightmost word on each page, and the page width, in points.
struct TExtent {
    double PageWidth = 0;
    double RightmostWord = 0;
};
inline QList<TExtent> Extents(const QString& file) {
    QList<TExtent> pages;
    const QString html = Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    static const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\""));
    static const QRegularExpression word(QStringLiteral("<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\""));
    for (const QString& part : html.split(QStringLiteral("</page>"))) {
        const QRegularExpressionMatch m = page.match(part);
        if (!m.hasMatch())
            continue;
        TExtent e;
        e.PageWidth = m.captured(1).toDouble();
        for (auto it = word.globalMatch(part); it.hasNext();)
            e.RightmostWord = std::max(e.RightmostWord, it.next().captured(1).toDouble());
        pages << e;
    }
    return pages;
}

// Whether the words of text stand in one cell of a table on some page: each next word right of
// the one before on its line, or at the start of the next line below the first word (a title
// wrapped in its cell).
inline bool HasCellText(const QString& file, const QString& text) {
    struct TWord {
        double X0, Y0, X1, Y1;
        QString Text;
    };
    const QStringList wanted = text.split(u' ', Qt::SkipEmptyParts);
    const QString html = Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (const QString& page : html.split(QStringLiteral("</page>"))) {
        QList<TWord> words;
        for (auto it = word.globalMatch(page); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            words.append({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                          m.captured(4).toDouble(),
                          m.captured(5).replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                              .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                              .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                              .replace(QStringLiteral("&quot;"), QStringLiteral("\""))});
        }
        for (const TWord& first : words) {
            if (first.Text != wanted.value(0))
                continue;
            const TWord* last = &first;
            qsizetype found = 1;
            for (; found < wanted.size(); ++found) {
                const double h = last->Y1 - last->Y0;
                const TWord* next = nullptr;
                for (const TWord& w : words) {
                    if (w.Text != wanted[found])
                        continue;
                    const bool sameLine = std::abs(w.Y0 - last->Y0) < h / 3 && w.X0 >= last->X1 - 0.5 &&
                                          w.X0 - last->X1 < 2 * h;
                    const bool nextLine = w.Y0 > last->Y0 + h / 2 && w.Y0 < last->Y1 + h && w.X1 > first.X0 - 2 * h &&
                                          w.X0 < first.X1 + 2 * h;
                    if (sameLine || nextLine) {
                        next = &w;
                        break;
                    }
                }
                if (!next)
                    break;
                last = next;
            }
            if (found == wanted.size())
                return true;
        }
    }
    return false;
}

} // namespace PdfReader
