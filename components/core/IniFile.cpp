#include "IniFile.h"

#include "EightBitText.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>

namespace {

QString Fold(const QString& name) {
    return name.trimmed().toCaseFolded();
}

// The file's own byte-order mark is taken off when it is read; one that begins a value is the
// value's text (U+FEFF) and must read back as it was written.
QString Decode(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom) && IsUtf8(bytes))
        return QChar(0xFEFF) + QString::fromUtf8(bytes.mid(3));
    return FromUtf8OrWindows1252(bytes);
}

// "[name]" with anything after the bracket; the name without its blanks.
bool HeaderName(const QByteArray& raw, QString* name = nullptr) {
    const QByteArray t = raw.trimmed();
    if (!t.startsWith('['))
        return false;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return false;
    if (name)
        *name = Decode(t.mid(1, close - 1)).trimmed();
    return true;
}

// Where "=" splits a key line; -1 for comments, blank lines and lines without a key.
qsizetype KeyEnd(const QByteArray& raw) {
    const QByteArray t = raw.trimmed();
    if (t.isEmpty() || t.startsWith(';'))
        return -1;
    const qsizetype eq = raw.indexOf('=');
    if (eq <= 0 || raw.left(eq).trimmed().isEmpty())
        return -1;
    return eq;
}

QString KeyOf(const QByteArray& raw, qsizetype eq) {
    return Decode(raw.left(eq)).trimmed();
}

bool Blank(const QByteArray& raw) {
    return raw.trimmed().isEmpty();
}

// A value is one line: every line break becomes a blank.
QString OneLine(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return value;
}

// The UTF-16 LE content after the byte-order mark as UTF-8, when it reads back as the very same
// code units (an odd length or a lone surrogate would not): the file is then kept as text.
bool Utf16ToUtf8(const QByteArray& bytes, QByteArray& utf8) {
    if (!bytes.startsWith("\xFF\xFE") || bytes.size() % 2 != 0)
        return false;
    const qsizetype units = (bytes.size() - 2) / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) {
        quint16 u = 0;
        std::memcpy(&u, bytes.constData() + 2 + 2 * i, 2);
        text[i] = QChar(qFromLittleEndian(u));
    }
    utf8 = text.toUtf8();
    return QString::fromUtf8(utf8) == text;
}

QByteArray Utf8ToUtf16(const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    QByteArray out("\xFF\xFE");
    out.reserve(2 + 2 * text.size());
    for (const QChar c : text) {
        const quint16 u = qToLittleEndian(c.unicode());
        out.append(reinterpret_cast<const char*>(&u), 2);
    }
    return out;
}

} // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {
    QFile f(fileName);
    Parse(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
}

TIniFile::~TIniFile() {
    if (Modified())
        UpdateFile();
}

void TIniFile::Parse(const QByteArray& raw) {
    QByteArray utf8;
    FEncoding = Utf16ToUtf8(raw, utf8) ? TEncoding::Utf16LE : TEncoding::Bytes;
    const QByteArray& bytes = FEncoding == TEncoding::Utf16LE ? utf8 : raw;
    FSections.clear();
    FSections.emplace_back(); // the lines before the first header
    FIndexValid = false;
    FBom.clear();
    FLineEnd = TEnd::CrLf;
    bool endSeen = false;
    qsizetype pos = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        FBom = bytes.left(3);
        pos = 3;
    }
    const qsizetype size = bytes.size();
    const char* data = bytes.constData();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        TLine line{bytes.mid(pos, end - pos), TEnd::None};
        if (end < size) {
            if (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') {
                line.End = TEnd::CrLf;
                pos = end + 2;
            } else {
                line.End = data[end] == '\n' ? TEnd::Lf : TEnd::Cr;
                pos = end + 1;
            }
            if (!endSeen) {
                FLineEnd = line.End;
                endSeen = true;
            }
        } else {
            pos = end;
        }
        QString name;
        if (HeaderName(line.Raw, &name)) {
            TSection s;
            s.Folded = Fold(name);
            s.HasHeader = true;
            FSections.push_back(std::move(s));
        }
        FSections.back().Lines.push_back(std::move(line));
    }
}

void TIniFile::SetText(const QString& text) {
    SetBytes(text.toUtf8());
}

void TIniFile::SetBytes(const QByteArray& bytes) {
    Parse(bytes);
    FChanges.clear();
    FReplaced = true;
}

QByteArray TIniFile::LineEnd() const {
    switch (FLineEnd) {
    case TEnd::Lf:
        return QByteArrayLiteral("\n");
    case TEnd::Cr:
        return QByteArrayLiteral("\r");
    default:
        return QByteArrayLiteral("\r\n");
    }
}

QByteArray TIniFile::Bytes() const {
    static const QByteArray ends[] = {QByteArray(), QByteArrayLiteral("\r\n"), QByteArrayLiteral("\n"),
                                      QByteArrayLiteral("\r")};
    QByteArray out = FBom;
    for (const TSection& s : FSections)
        for (const TLine& line : s.Lines)
            out += line.Raw + ends[int(line.End)];
    return FEncoding == TEncoding::Utf16LE ? Utf8ToUtf16(out) : out;
}

QString TIniFile::Text() const {
    static const QString ends[] = {QString(), QStringLiteral("\r\n"), QStringLiteral("\n"),
                                   QStringLiteral("\r")};
    QString out;
    for (const TSection& s : FSections)
        for (const TLine& line : s.Lines)
            out += Decode(line.Raw) + ends[int(line.End)];
    return out;
}

int TIniFile::FindSectionIndex(const QString& section) const {
    if (!FIndexValid) {
        FSectionIndex.clear();
        for (int i = 0; i < int(FSections.size()); ++i)
            if (FSections[i].HasHeader && !FSectionIndex.contains(FSections[i].Folded))
                FSectionIndex.insert(FSections[i].Folded, i);
        FIndexValid = true;
    }
    return FSectionIndex.value(Fold(section), -1);
}

const TIniFile::TSection* TIniFile::FindSection(const QString& section) const {
    const int i = FindSectionIndex(section);
    return i < 0 ? nullptr : &FSections[i];
}

int TIniFile::FindKey(const TSection& s, const QString& key) const {
    if (!s.KeysValid) {
        s.Keys.clear();
        for (int i = 1; i < int(s.Lines.size()); ++i) {
            const qsizetype eq = KeyEnd(s.Lines[i].Raw);
            if (eq < 0)
                continue;
            const QString k = Fold(KeyOf(s.Lines[i].Raw, eq));
            if (!s.Keys.contains(k))
                s.Keys.insert(k, i);
        }
        s.KeysValid = true;
    }
    return s.Keys.value(Fold(key), -1);
}

bool TIniFile::SectionExists(const QString& section) const {
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    const TSection* s = FindSection(section);
    return s && FindKey(*s, key) >= 0;
}

QStringList TIniFile::Sections() const {
    QStringList out;
    QString name;
    for (const TSection& s : FSections)
        if (s.HasHeader && HeaderName(s.Lines.front().Raw, &name))
            out << name;
    return out;
}

QStringList TIniFile::Keys(const QString& section) const {
    QStringList out;
    const TSection* s = FindSection(section);
    if (!s)
        return out;
    for (size_t i = 1; i < s->Lines.size(); ++i)
        if (const qsizetype eq = KeyEnd(s->Lines[i].Raw); eq >= 0)
            out << KeyOf(s->Lines[i].Raw, eq);
    return out;
}

int TIniFile::KeyCount(const QString& section) const {
    const TSection* s = FindSection(section);
    if (!s)
        return 0;
    FindKey(*s, QString());
    return int(s->Keys.size());
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const TSection* s = FindSection(section);
    if (!s)
        return def;
    const int at = FindKey(*s, key);
    if (at < 0)
        return def;
    const QByteArray& raw = s->Lines[at].Raw;
    return Decode(raw.mid(KeyEnd(raw) + 1)).trimmed();
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

bool TIniFile::ValidKey(const QString& key) {
    const QString t = key.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('['))
        return false;
    for (const QChar c : key)
        if (c == '=' || c == '\r' || c == '\n')
            return false;
    return true;
}

bool TIniFile::ValidName(const QString& name) {
    return ValidKey(name) && !name.contains(']');
}

void TIniFile::Record(TChange change) {
    Apply(change);
    FChanges.push_back(std::move(change));
}

void TIniFile::Apply(const TChange& change) {
    switch (change.Kind) {
    case TChange::Write:
        ApplyWrite(change.Section, change.Key, change.Value);
        break;
    case TChange::Delete:
        ApplyDelete(change.Section, change.Key);
        break;
    case TChange::Erase:
        ApplyErase(change.Section);
        break;
    }
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (!ValidName(section) || !ValidKey(key))
        return false;
    Record({TChange::Write, section, key, OneLine(value)});
    return true;
}

void TIniFile::ApplyWrite(const QString& section, const QString& key, const QString& value) {
    const int si = FindSectionIndex(section);
    if (si < 0) {
        TSection* last = &FSections.back();
        for (auto it = FSections.rbegin(); it != FSections.rend(); ++it)
            if (!it->Lines.empty()) {
                last = &*it;
                break;
            }
        if (!last->Lines.empty()) {
            last->Lines.back().End = last->Lines.back().End == TEnd::None ? FLineEnd : last->Lines.back().End;
            // A blank line before a new section keeps hand-edited files readable.
            if (!Blank(last->Lines.back().Raw))
                last->Lines.push_back({QByteArray(), FLineEnd});
        }
        TSection s;
        s.Folded = Fold(section);
        s.HasHeader = true;
        s.Lines.push_back({'[' + section.toUtf8() + ']', FLineEnd});
        s.Lines.push_back({key.toUtf8() + '=' + value.toUtf8(), FLineEnd});
        FSections.push_back(std::move(s));
        if (FIndexValid)
            FSectionIndex.insert(FSections.back().Folded, int(FSections.size()) - 1);
        return;
    }
    TSection& s = FSections[si];
    const int at = FindKey(s, key);
    if (at >= 0) {
        // The key keeps the spelling (and the bytes) it has in the file.
        TLine& line = s.Lines[at];
        const QByteArray replaced = line.Raw.left(KeyEnd(line.Raw)).trimmed() + '=' + value.toUtf8();
        line.Raw = replaced;
        return;
    }
    // After the section's last non-blank line, so that a separating blank line stays in place;
    // only blank lines follow, so no key of the index moves.
    int insert = int(s.Lines.size());
    while (insert > 1 && Blank(s.Lines[insert - 1].Raw))
        --insert;
    if (s.Lines[insert - 1].End == TEnd::None)
        s.Lines[insert - 1].End = FLineEnd;
    s.Lines.insert(s.Lines.begin() + insert, TLine{key.toUtf8() + '=' + value.toUtf8(), FLineEnd});
    if (s.KeysValid)
        s.Keys.insert(Fold(key), insert);
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::WriteFloat(const QString& section, const QString& key, double value) {
    return WriteString(section, key, QString::number(value, 'g', 15));
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    if (ValueExists(section, key))
        Record({TChange::Delete, section, key, QString()});
}

void TIniFile::ApplyDelete(const QString& section, const QString& key) {
    const int si = FindSectionIndex(section);
    if (si < 0)
        return;
    TSection& s = FSections[si];
    const int at = FindKey(s, key);
    if (at < 0)
        return;
    s.Lines.erase(s.Lines.begin() + at);
    s.KeysValid = false;
}

void TIniFile::EraseSection(const QString& section) {
    if (SectionExists(section))
        Record({TChange::Erase, section, QString(), QString()});
}

void TIniFile::ApplyErase(const QString& section) {
    const int si = FindSectionIndex(section);
    if (si < 0)
        return;
    FSections.erase(FSections.begin() + si);
    FIndexValid = false;
}

bool TIniFile::UpdateFile() {
    if (!Modified())
        return true;
    QByteArray disk;
    bool onDisk = false;
    if (!FReplaced) {
        // What other owners wrote since this one read the file stays: this owner's changes are
        // applied to the file as it is now.
        QFile f(FFileName);
        if (f.open(QIODevice::ReadOnly)) {
            disk = f.readAll();
            onDisk = true;
        }
        if (onDisk || !f.exists()) {
            // A file not written yet keeps the encoding its owner chose.
            const TEncoding chosen = FEncoding;
            Parse(disk);
            if (!onDisk)
                FEncoding = chosen;
            for (const TChange& c : FChanges)
                Apply(c);
        }
    }
    QByteArray out = Bytes();
    // 8-bit lines behind a UTF-16 mark that does not match them (an editor's slip) keep their bytes,
    // but once a change gives the file an even length they could read as UTF-16 the next time: a
    // UTF-8 mark in front keeps them the 8-bit lines they are.
    if (FEncoding == TEncoding::Bytes && out.startsWith("\xFF\xFE"))
        out.prepend("\xEF\xBB\xBF");
    if (!onDisk || out != disk) {
        QSaveFile f(FFileName);
        if (!f.open(QIODevice::WriteOnly) || f.write(out) < 0 || !f.commit()) {
            FError = f.errorString();
            return false;
        }
    }
    FChanges.clear();
    FReplaced = false;
    FError.clear();
    return true;
}
