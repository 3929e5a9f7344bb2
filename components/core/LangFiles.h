#pragma once
#include <QList>
#include <QString>

class TIniFile;

// The language files of the user interface: INI files in UTF-16 LE with byte-order mark and
// CR LF lines. Every value is quoted text; a line break stands as the four characters "/r/n",
// so that no value ever spans two lines of the file. The header section is named like the
// application's title (the common file's "Common") and says which language the file holds.
namespace LangText {

inline const QString& CommonSection() {
    static const QString s = QStringLiteral("Common");
    return s;
}
inline const QString& ConstsSection() {
    static const QString s = QStringLiteral("KvConsts");
    return s;
}
inline const QString& DefaultCommonFile() {
    static const QString s = QStringLiteral("Common.ori");
    return s;
}

// Only the enclosing pair of double quotes goes: a text may hold quotes of its own
// ("Do you want to add "%s" to the list?") and a caption item is quoted inside (""Open",14").
QString Unquote(const QString& value);
// Every line break (CR LF, LF CR, a lone LF or CR) as "/r/n".
QString BreaksToFile(const QString& text);
// A component's text as a value: quoted, line breaks as "/r/n".
QString ToFile(const QString& text);
// A value as a component's text: unquoted, "/r/n" as a line feed (how the widgets break lines).
QString FromFile(const QString& value);
// The texts of the component library (section "KvConsts") carry their line breaks as CR LF and
// are escaped besides ("\t", "\\").
QString ConstToFile(const QString& text);
QString ConstFromFile(const QString& value);

// The common file named by a language file, as it may be used: a plain file name, which then
// lies in the language folder. Anything else (a path, "..", nothing) is "Common.ori": the common
// file is rewritten by the build, and no file outside the folder may be touched because a
// language file said so.
QString CommonFileName(const QString& headerValue);

struct THeader {
    QString Language;
    QString Created;
    QString Modified;
    QString Version;
    QString CommonLanguageFile; // as the file has it, quotes removed
};
// The values of the header section that are there; the others keep what header holds.
// False when the file has no header section of that name.
bool ReadHeader(const TIniFile& file, const QString& section, THeader& header);

struct TLanguage {
    QString Name;
    QString FileName;
};
// The language files of a folder: files whose names end with extension (any case) that have a
// header section named title, with their Language value as the name; ordered by file name.
QList<TLanguage> ScanFolder(const QString& folder, const QString& extension, const QString& title);

} // namespace LangText
