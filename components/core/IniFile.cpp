#include "IniFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

bool IsSectionLine(const QString& line, QString* name = nullptr) {
    const QString t = line.trimmed();
    if (!t.startsWith('['))
        return false;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return false;
    if (name)
        *name = t.mid(1, close - 1).trimmed();
    return true;
}

// Splits "key=value"; false for comments and lines without "=".
bool SplitKeyLine(const QString& line, QString& key, QString& value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';'))
        return false;
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0)
        return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1).trimmed();
    return !key.isEmpty();
}

} // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {
    QFile f(fileName);
    if (f.open(QIODevice::ReadOnly))
        SetText(QString::fromUtf8(f.readAll()));
}

TIniFile::~TIniFile() {
    if (FModified)
        UpdateFile();
}

void TIniFile::SetText(const QString& text) {
    FLineEnd = text.contains(QStringLiteral("\r\n")) || !text.contains('\n') ? QStringLiteral("\r\n")
                                                                             : QStringLiteral("\n");
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    FLines = t.split('\n');
    if (!FLines.isEmpty() && FLines.last().isEmpty())
        FLines.removeLast();
}

QString TIniFile::Text() const {
    return FLines.isEmpty() ? QString() : FLines.join(FLineEnd) + FLineEnd;
}

int TIniFile::FindSection(const QString& section) const {
    QString name;
    for (int i = 0; i < FLines.size(); ++i)
        if (IsSectionLine(FLines[i], &name) && name.compare(section.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TIniFile::SectionEnd(int header) const {
    int i = header + 1;
    while (i < FLines.size() && !IsSectionLine(FLines[i]))
        ++i;
    return i;
}

int TIniFile::FindKey(int header, const QString& key) const {
    const int end = SectionEnd(header);
    QString k, v;
    for (int i = header + 1; i < end; ++i)
        if (SplitKeyLine(FLines[i], k, v) && k.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool TIniFile::SectionExists(const QString& section) const {
    return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    const int h = FindSection(section);
    return h >= 0 && FindKey(h, key) >= 0;
}

QStringList TIniFile::Sections() const {
    QStringList out;
    QString name;
    for (const QString& line : FLines)
        if (IsSectionLine(line, &name))
            out << name;
    return out;
}

QStringList TIniFile::Keys(const QString& section) const {
    QStringList out;
    const int h = FindSection(section);
    if (h < 0)
        return out;
    QString k, v;
    for (int i = h + 1, end = SectionEnd(h); i < end; ++i)
        if (SplitKeyLine(FLines[i], k, v))
            out << k;
    return out;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const int h = FindSection(section);
    if (h < 0)
        return def;
    const int line = FindKey(h, key);
    if (line < 0)
        return def;
    QString k, v;
    SplitKeyLine(FLines[line], k, v);
    return v;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    const QString s = ReadString(section, key, QString());
    bool ok = false;
    const int v =
        s.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive) ? s.mid(2).toInt(&ok, 16) : s.toInt(&ok);
    return ok ? v : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const {
    QString s = ReadString(section, key, QString());
    s.replace(',', '.');
    bool ok = false;
    const double v = s.toDouble(&ok);
    return ok ? v : def;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString line = key + '=' + value;
    int h = FindSection(section);
    if (h < 0) {
        // A blank line before a new section keeps hand-edited files readable.
        if (!FLines.isEmpty() && !FLines.last().trimmed().isEmpty())
            FLines << QString();
        FLines << '[' + section + ']' << line;
        FModified = true;
        return;
    }
    const int at = FindKey(h, key);
    if (at >= 0) {
        // The key keeps the spelling it has in the file.
        QString existing, old;
        SplitKeyLine(FLines[at], existing, old);
        const QString replaced = existing + '=' + value;
        if (FLines[at] != replaced) {
            FLines[at] = replaced;
            FModified = true;
        }
        return;
    }
    // After the section's last non-blank line, so that a separating blank line stays in place.
    int insert = SectionEnd(h);
    while (insert > h + 1 && FLines[insert - 1].trimmed().isEmpty())
        --insert;
    FLines.insert(insert, line);
    FModified = true;
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteFloat(const QString& section, const QString& key, double value) {
    WriteString(section, key, QString::number(value, 'g', 15));
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    const int h = FindSection(section);
    if (h < 0)
        return;
    const int at = FindKey(h, key);
    if (at < 0)
        return;
    FLines.removeAt(at);
    FModified = true;
}

void TIniFile::EraseSection(const QString& section) {
    const int h = FindSection(section);
    if (h < 0)
        return;
    const int end = SectionEnd(h);
    FLines.erase(FLines.begin() + h, FLines.begin() + end);
    FModified = true;
}

bool TIniFile::UpdateFile() {
    QSaveFile f(FFileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(Text().toUtf8()) < 0 || !f.commit()) {
        FError = f.errorString();
        return false;
    }
    FModified = false;
    FError.clear();
    return true;
}
