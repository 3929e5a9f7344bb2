#include "RecentNames.h"

#include "EightBitText.h"
#include "ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString WithSlash(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

} // namespace

TRecentNames::TRecentNames(const QString& appFolder, const QString& fileName)
    : FAppFolder(WithSlash(QDir::cleanPath(appFolder))),
      FFileName(fileName.isEmpty() ? ProgramFileName(QStringLiteral("cbFileName.cfg"), appFolder)
                                   : fileName) {}

void TRecentNames::SetEntries(const QStringList& entries) {
    FEntries = entries.mid(0, MaxCount);
}

bool TRecentNames::Load() {
    FEntries.clear();
    QFile f(FFileName);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString text = FromUtf8OrWindows1252(f.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    for (const QString& line : text.split('\n'))
        if (!line.trimmed().isEmpty() && FEntries.size() < MaxCount)
            FEntries << line.trimmed();
    return true;
}

bool TRecentNames::Save() const {
    QSaveFile f(FFileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray out;
    for (const QString& e : FEntries)
        out += e.toUtf8() + "\r\n";
    return f.write(out) == out.size() && f.commit();
}

QString TRecentNames::EntryFor(const QString& file) const {
    const QString full = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    if (full.startsWith(FAppFolder))
        return full.mid(FAppFolder.size());
    return full;
}

QString TRecentNames::Resolve(const QString& entry) const {
    if (QDir::isAbsolutePath(entry))
        return QDir::cleanPath(entry);
    return QDir::cleanPath(FAppFolder + entry);
}

void TRecentNames::RecordOpened(const QString& file) {
    const QString entry = EntryFor(file);
    if (FEntries.contains(entry))
        return;
    FEntries.prepend(entry);
    while (FEntries.size() > MaxCount)
        FEntries.removeLast();
}

void TRecentNames::RecordSaved(const QString& file) {
    FEntries.append(EntryFor(file));
    while (FEntries.size() > MaxCount)
        FEntries.removeFirst();
}

namespace XMLDialogNames {

bool ValidFilePart(const QString& part) {
    if (part.trimmed().isEmpty())
        return false;
    for (const QChar c : part)
        if (c == '/' || c == ':' || c == '*' || c == '?' || c == '\\' || c == '\0' || c == '\r' || c == '\n')
            return false;
    return true;
}

bool ValidFolderName(const QString& name) {
    const QString t = name.trimmed();
    return ValidFilePart(name) && t != QLatin1String(".") && t != QLatin1String("..");
}

QStringList Extensions(const QString& defaultExt) {
    QStringList out;
    for (const QString& e : defaultExt.split('|'))
        if (!e.trimmed().isEmpty())
            out << e.trimmed();
    return out;
}

bool Passes(const QString& fileName, const QStringList& extensions) {
    if (extensions.isEmpty())
        return true;
    const QString name = QFileInfo(fileName).fileName();
    for (const QString& ext : extensions) {
        // ".xml" and "xml" name the same extension; "d.~xml" has another one.
        const QString dotted = ext.startsWith('.') ? ext : '.' + ext;
        if (name.size() > dotted.size() && name.endsWith(dotted, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QStringList Patterns(const QStringList& extensions) {
    QStringList out;
    for (const QString& ext : extensions)
        out << QStringLiteral("*") + (ext.startsWith('.') ? ext : '.' + ext);
    return out;
}

QString WithoutExtension(const QString& name, const QStringList& extensions) {
    for (const QString& ext : extensions) {
        const QString dotted = ext.startsWith('.') ? ext : '.' + ext;
        if (Passes(name, {dotted}))
            return name.left(name.size() - dotted.size());
    }
    return name;
}

} // namespace XMLDialogNames
