#include "CSVForm.h"

#include "GridTable.h"
#include "SIPrefixes.h"
#include "TextEscapes.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTime>

#include <algorithm>
#include <array>

namespace {

// The quoted string that starts at text[i] (a double quote), doubled quotes undone; i ends
// past the closing quote, or at the end when there is none.
QString ReadQuoted(QStringView text, qsizetype& i) {
    QString out;
    const qsizetype n = text.size();
    for (++i; i < n; ++i) {
        if (text[i] != u'"') {
            out += text[i];
        } else if (i + 1 < n && text[i + 1] == u'"') {
            out += u'"';
            ++i;
        } else {
            ++i;
            break;
        }
    }
    return out;
}

} // namespace

QChar ListSeparator() {
    return QLocale::system().decimalPoint() == QLatin1String(",") ? QChar(u';') : QChar(u',');
}

namespace CSVForm {

QString Field(const QString& cell, QChar separator) {
    QString text = EscapeBackslashes(cell);
    if (!text.contains(separator) && !text.contains(u'"'))
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return u'"' + text + u'"';
}

bool LooksLikeNumber(const QString& text) {
    for (const QChar ch : text) {
        if (ch.isSpace())
            continue;
        return ch == u'+' || ch == u',' || ch == u'-' || ch == u'.' || (ch >= u'0' && ch <= u'9');
    }
    return false;
}

bool IsDateTime(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    // A date or a time holds two numbers at least; a quantity ("10.5 kV", "1E-5 A", "0.12 %")
    // holds one. Asking the locale's formats is slow, so quantities are told apart first.
    qsizetype i = 0;
    const qsizetype n = t.size();
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && t[i].isDigit())
            ++i;
        return i > from;
    };
    if (i < n && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    digits();
    if (i < n && (t[i] == u'.' || t[i] == u','))
        ++i, digits();
    if (i + 1 < n && (t[i] == u'E' || t[i] == u'e')) {
        const qsizetype mark = i++;
        if (i < n && (t[i] == u'+' || t[i] == u'-'))
            ++i;
        if (!digits())
            i = mark;
    }
    if (std::none_of(t.begin() + i, t.end(), [](QChar ch) { return ch.isDigit(); }))
        return false;
    static const QRegularExpression shape(
        QStringLiteral(R"(^(\d{1,4}[./-]\d{1,2}[./-]\d{1,4}([ T]+\d{1,2}:\d{2}(:\d{2}([.,]\d+)?)?)?|)"
                       R"(\d{1,2}:\d{2}(:\d{2}([.,]\d+)?)?)(\s*[AaPp]\.?[Mm]\.?)?$)"));
    if (shape.match(t).hasMatch())
        return true;
    const QLocale locale = QLocale::system();
    for (const QLocale::FormatType format : {QLocale::ShortFormat, QLocale::LongFormat})
        if (locale.toDateTime(t, format).isValid() || locale.toDate(t, format).isValid() ||
            locale.toTime(t, format).isValid())
            return true;
    return false;
}

QString UnitOf(const QString& sample) {
    if (sample.contains(u'%'))
        return QStringLiteral("%");
    if (sample.contains(u'°'))
        return QStringLiteral("°");
    double value = 0;
    QString rest;
    if (!ReadSI(sample, value, &rest))
        return QString();
    // The prefix letter the value gets when formatted again tells where the unit starts.
    const QString form = FormatSI(value, 0, 3, true).trimmed();
    const QChar last = form.isEmpty() ? QChar() : form.back();
    if (!last.isDigit() && sample.contains(last))
        return sample.mid(sample.indexOf(last) + 1).trimmed();
    const qsizetype blank = sample.trimmed().indexOf(u' ');
    return blank >= 0 ? sample.trimmed().mid(blank + 1).trimmed() : rest.trimmed();
}

namespace {

bool IsQuantity(const QString& text, bool mustLookNumeric, double& value) {
    return (!mustLookNumeric || LooksLikeNumber(text)) && ReadSI(text, value) && !IsDateTime(text);
}

} // namespace

QString PlainCell(const QString& cell) {
    double value = 0;
    if (!IsQuantity(cell, true, value))
        return cell;
    QString text = FormatGeneral(value);
    if (DecimalSeparator() != u'.')
        text.replace(u'.', DecimalSeparator());
    return text;
}

QString Text(const TGridTable& table, const TOptions& options) {
    const int cols = std::max(0, table.ColCount());
    const int rows = std::max(0, table.RowCount());
    QStringList titles;
    std::vector<bool> plain(size_t(cols), options.Units);
    for (int c = 0; c < cols; ++c) {
        QString title = table.Cell(c, 0);
        if (options.Units && options.TextTitles.contains(title.trimmed()))
            plain[size_t(c)] = false;
        if (plain[size_t(c)]) {
            for (int r = 1; r < rows; ++r) {
                const QString sample = table.Cell(c, r);
                if (sample.trimmed().isEmpty())
                    continue;
                double value = 0;
                if (IsQuantity(sample, options.TitleSampleMustLookNumeric, value)) {
                    // A column of plain numbers has no unit to show.
                    const QString unit = UnitOf(sample);
                    if (!unit.isEmpty())
                        title += u'[' + unit + u']';
                }
                break;
            }
        }
        titles << title;
    }

    // Cells recur in a column (phases, voltages, tap numbers, empty cells): the last few
    // values of each column are converted once.
    struct TRecent {
        std::array<QString, 4> Raw, Out;
        size_t Next = 0, Used = 0;
    };
    std::vector<TRecent> recent{size_t(cols)};
    const auto dataField = [&](int c, const QString& cell) {
        TRecent& seen = recent[size_t(c)];
        for (size_t i = 0; i < seen.Used; ++i)
            if (seen.Raw[i] == cell)
                return seen.Out[i];
        const QString field = Field(plain[size_t(c)] ? PlainCell(cell) : cell, options.Separator);
        seen.Raw[seen.Next] = cell;
        seen.Out[seen.Next] = field;
        seen.Next = (seen.Next + 1) % seen.Raw.size();
        seen.Used = std::max(seen.Used, seen.Next == 0 ? seen.Raw.size() : seen.Next);
        return field;
    };

    QString out;
    const auto putLine = [&](const auto& fieldOf) {
        out += options.Prefix;
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                out += options.Separator;
            out += fieldOf(c);
        }
        out += QLatin1String("\r\n");
    };
    if (rows > 0)
        putLine([&](int c) { return Field(titles[c], options.Separator); });
    for (int r = 1; r < rows; ++r)
        putLine([&](int c) { return dataField(c, table.Cell(c, r)); });
    return out;
}

QStringList SplitLine(QStringView line, QChar separator) {
    QStringList cells;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        QString cell;
        if (i < n && line[i] == u'"') {
            cell = ReadQuoted(line, i);
            // Whatever stands between the closing quote and the separator belongs to the cell.
            const qsizetype end = line.indexOf(separator, i);
            cell += line.mid(i, (end < 0 ? n : end) - i);
            i = end < 0 ? n : end;
        } else {
            const qsizetype end = line.indexOf(separator, i);
            cell = line.mid(i, (end < 0 ? n : end) - i).toString();
            i = end < 0 ? n : end;
        }
        cells << UnescapeBackslashes(cell);
        if (i >= n)
            break;
        ++i; // the separator
        if (i == n) {
            cells << QString();
            break;
        }
    }
    return cells;
}

TTable Parse(const QString& text, QChar separator) {
    TTable table;
    TColumnTexts shared;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n || table.Rows.empty()) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        QStringList cells = SplitLine(QStringView(text).mid(start, end - start), separator);
        if (cells.size() > MaxColumns) {
            cells.resize(MaxColumns);
            table.Truncated = true;
        }
        table.Cols = std::max(table.Cols, int(cells.size()));
        for (qsizetype c = 0; c < cells.size(); ++c)
            cells[c] = shared.Share(int(c), cells[c]);
        table.Rows.push_back(std::move(cells));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
        if (end >= n)
            break;
    }
    for (QStringList& row : table.Rows)
        row.resize(table.Cols);
    return table;
}

QString DecodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE)(bytes.mid(2));
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    // Windows-1252 where it differs from Latin-1; its five unused codes stay as they are.
    static const char16_t upper[] = u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160"
                                    u"\u2039\u0152\u008D\u017D\u008F\u0090\u2018\u2019\u201C\u201D\u2022"
                                    u"\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";
    text = QString::fromLatin1(bytes);
    for (QChar& ch : text)
        if (ch.unicode() >= 0x80 && ch.unicode() < 0xA0)
            ch = QChar(upper[ch.unicode() - 0x80]);
    return text;
}

QByteArray EncodeText(const QString& text) {
    return text.toUtf8();
}

QByteArray GridFileContent(const TGridTable& table, QChar separator, bool units) {
    TOptions options;
    options.Separator = separator;
    options.Units = units;
    QString text = Text(table, options);
    while (text.endsWith(u'\r') || text.endsWith(u'\n'))
        text.chop(1);
    text += QLatin1String("\r\n");
    return EncodeText(text);
}

} // namespace CSVForm

QString CommaText(const QStringList& fields) {
    if (fields.size() == 1 && fields.front().isEmpty())
        return QStringLiteral("\"\"");
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += u',';
        const QString& f = fields[i];
        const bool quote = std::any_of(
            f.begin(), f.end(), [](QChar ch) { return ch.unicode() <= u' ' || ch == u'"' || ch == u','; });
        if (!quote) {
            out += f;
            continue;
        }
        QString inner = f;
        inner.replace(QLatin1String("\""), QLatin1String("\"\""));
        out += u'"' + inner + u'"';
    }
    return out;
}

QStringList SplitCommaText(QStringView text) {
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = text.size();
    // A NUL counts as a blank, so that it cannot stop the walk.
    const auto blank = [&](qsizetype k) { return k < n && text[k].unicode() <= u' '; };
    while (blank(i))
        ++i;
    while (i < n) {
        QString field;
        if (text[i] == u'"') {
            field = ReadQuoted(text, i);
        } else {
            const qsizetype from = i;
            while (i < n && text[i].unicode() > u' ' && text[i] != u',')
                ++i;
            field = text.mid(from, i - from).toString();
        }
        fields << field;
        while (blank(i))
            ++i;
        if (i < n && text[i] == u',') {
            if (i + 1 == n)
                fields << QString();
            do
                ++i;
            while (blank(i));
        }
    }
    return fields;
}
