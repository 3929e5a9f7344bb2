#include "VectorGroupTable.h"

#include "CSVForm.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {
constexpr int Columns = 6;
constexpr QChar Separator = u'\x1f'; // ends an unquoted field, so no name holds it

} // namespace

QString TVectorGroupTable::Key(const QString& hv, const QString& lv, const QString& clock,
                               const QString& phase) {
    return hv.toUpper() + Separator + lv.toUpper() + Separator + clock.trimmed().toUpper() + Separator +
           phase.trimmed().toUpper();
}

QString TVectorGroupTable::PairKey(const QString& hv, const QString& lv) {
    return hv.toUpper() + Separator + lv.toUpper();
}

void TVectorGroupTable::Clear() {
    FRows.clear();
    FIndex.clear();
    FClocks.clear();
}

TVectorGroupTable::TLoad TVectorGroupTable::Load(const QString& fileName) {
    Clear();
    QFile file(fileName);
    if (!QFileInfo::exists(fileName))
        return TLoad::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return TLoad::Unreadable;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return TLoad::Unreadable;
    return Read(CSVForm::DecodeText(bytes)) ? TLoad::Loaded : TLoad::Unreadable;
}

bool TVectorGroupTable::Read(const QString& text) {
    Clear();
    const QStringView all(text);
    qsizetype start = 0;
    bool titles = true, complete = false;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != u'\n' && all[end] != u'\r')
            ++end;
        const QStringList f = SplitCommaText(all.mid(start, end - start));
        start = end + (end + 1 < all.size() && all[end] == u'\r' && all[end + 1] == u'\n' ? 2 : 1);
        if (titles) {
            titles = false;
            if (f.size() < Columns)
                break;
            continue;
        }
        if (f.size() < 5)
            continue; // no terminal connection: nothing a lookup could give
        complete = complete || f.size() >= Columns;
        TRow row;
        row.Connection = f[4];
        bool number = false;
        const double factor = f.size() > 5 ? f[5].toDouble(&number) : 0.0;
        row.Factor = number && std::isfinite(factor) && factor > 0 ? factor : 1.0;
        const int index = int(FRows.size());
        FRows.push_back(row);
        const QString key = Key(f[0], f[1], f[2], f[3]);
        if (!FIndex.contains(key)) // the first row wins, as a filter reads it
            FIndex.insert(key, index);
        if (f[3].trimmed().compare(QLatin1String("A"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int clock = f[2].trimmed().toInt(&ok);
            FClocks[PairKey(f[0], f[1])] << (ok ? clock : -1);
        }
    }
    if (!complete) {
        Clear();
        return false;
    }
    return true;
}

TVectorGroupMatch TVectorGroupTable::Lookup(const QString& hvName, const QString& lvName, int clock,
                                            int phase, int standard) const {
    TVectorGroupMatch m;
    if (phase < 0 || phase > 2)
        return m;
    const auto it =
        FIndex.constFind(Key(hvName, lvName, QString::number(clock), QString(QChar(char16_t(u'A' + phase)))));
    if (it == FIndex.constEnd())
        return m;
    const TRow& row = FRows[size_t(*it)];
    m.Found = true;
    m.Connection = TerminalNames(row.Connection, standard);
    m.Factor = row.Factor;
    return m;
}

QList<int> TVectorGroupTable::Clocks(const QString& hvName, const QString& lvName) const {
    return FClocks.value(PairKey(hvName, lvName));
}

QString TVectorGroupTable::TerminalNames(const QString& ansiText, int standard) {
    static const char* const table[] = {"H0", "H1", "H2", "H3", "X0", "X1", "X2", "X3"};
    static const char* const iec[] = {"N", "1U", "1V", "1W", "n", "2u", "2v", "2w"};
    static const char* const australian[] = {"N", "1A", "1B", "1C", "n", "2a", "2b", "2c"};
    const char* const* names = standard == 0 ? iec : standard == 2 ? australian : nullptr;
    if (!names)
        return ansiText;
    QString text = ansiText;
    for (int i = 0; i < 8; ++i)
        text.replace(QLatin1String(table[i]), QLatin1String(names[i]));
    return text;
}
