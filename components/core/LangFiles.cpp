#include "LangFiles.h"

#include "IniFile.h"
#include "TextEscapes.h"

#include <QDir>
#include <QFileInfo>

namespace LangText {

namespace {

const QString FileBreak = QStringLiteral("/r/n");

} // namespace

QString Unquote(const QString& value) {
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

QString BreaksToFile(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        // A pair of different break characters is one break, whichever comes first.
        if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c)
            ++i;
        out += FileBreak;
    }
    return out;
}

QString ToFile(const QString& text) {
    return '"' + BreaksToFile(text) + '"';
}

QString FromFile(const QString& value) {
    QString t = Unquote(value);
    t.replace(FileBreak, QStringLiteral("\n"));
    return t;
}

QString ConstToFile(const QString& text) {
    return '"' + EscapeBackslashes(BreaksToFile(text)) + '"';
}

QString ConstFromFile(const QString& value) {
    QString t = UnescapeBackslashes(Unquote(value));
    t.replace(FileBreak, QStringLiteral("\r\n"));
    return t;
}

QString CommonFileName(const QString& headerValue) {
    const QString name = Unquote(headerValue.trimmed()).trimmed();
    bool plain = !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
    for (const QChar c : name)
        if (c == '/' || c == '\\' || c == ':' || c.unicode() < 0x20)
            plain = false;
    return plain ? name : DefaultCommonFile();
}

bool ReadHeader(const TIniFile& file, const QString& section, THeader& header) {
    if (!file.SectionExists(section))
        return false;
    const auto read = [&](const char* key, QString& value) {
        const QString k = QString::fromLatin1(key);
        if (file.ValueExists(section, k))
            value = Unquote(file.ReadString(section, k, QString()));
    };
    read("Language", header.Language);
    read("Created", header.Created);
    read("Modified", header.Modified);
    read("Version", header.Version);
    read("CommonLanguageFile", header.CommonLanguageFile);
    return true;
}

QList<TLanguage> ScanFolder(const QString& folder, const QString& extension, const QString& title) {
    QList<TLanguage> out;
    const QDir dir(folder);
    const QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& fi : files) {
        if (extension.isEmpty() || !fi.fileName().endsWith(extension, Qt::CaseInsensitive))
            continue;
        const TIniFile file(fi.absoluteFilePath());
        THeader header;
        if (!ReadHeader(file, title, header) || header.Language.isEmpty())
            continue;
        out.append({header.Language, fi.absoluteFilePath()});
    }
    return out;
}

} // namespace LangText
