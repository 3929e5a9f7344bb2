#include "LastFiles.h"

#include "EightBitText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace TestFileNames {

QString Canonical(const QString& fileName) {
    const QFileInfo fi(fileName);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical;
}

bool SamePath(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() && b.isEmpty();
    return Canonical(a) == Canonical(b);
}

bool Storable(const QString& fileName) {
    return !fileName.trimmed().isEmpty() && !fileName.contains('\r') && !fileName.contains('\n');
}

QString ShortName(const QString& fileName) {
    const QFileInfo fi(QDir::cleanPath(fileName));
    const QString base = fi.completeBaseName();
    return QDir(fi.path()).isRoot() ? QStringLiteral("/") + base : QStringLiteral("/../") + base;
}

QString WithExtension(const QString& fileName, const QString& extension) {
    const QFileInfo fi(fileName);
    return fi.path() + '/' + fi.completeBaseName() + extension;
}

} // namespace TestFileNames

TLastFiles::TLastFiles(const QString& fileName, const QString& appFolder)
    : FFileName(fileName), FAppFolder(appFolder) {}

bool TLastFiles::Load() {
    FFiles.clear();
    QFile f(FFileName);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    Read(f.readAll());
    return true;
}

void TLastFiles::Read(const QByteArray& bytes) {
    FFiles.clear();
    QString text = FromUtf8OrWindows1252(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    for (const QString& line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const QString file = QDir::cleanPath(QDir(FAppFolder).absoluteFilePath(line));
        // A name listed twice (two spellings of one test) is shown once.
        if (IndexOf(file) < 0)
            FFiles << file;
        if (FFiles.size() == MaxCount)
            break;
    }
}

QByteArray TLastFiles::Bytes() const {
    QByteArray out;
    for (const QString& file : FFiles)
        out += file.toUtf8() + "\r\n";
    return out;
}

bool TLastFiles::Save() const {
    QSaveFile f(FFileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray out = Bytes();
    return f.write(out) == out.size() && f.commit();
}

int TLastFiles::IndexOf(const QString& file) const {
    const QString canonical = TestFileNames::Canonical(file);
    for (int k = 0; k < FFiles.size(); ++k)
        if (TestFileNames::Canonical(FFiles[k]) == canonical)
            return k;
    return -1;
}

void TLastFiles::Update(const QString& file) {
    if (!TestFileNames::Storable(file))
        return;
    while (FFiles.size() > ShownCount)
        FFiles.removeLast();
    const int k = IndexOf(file);
    if (k < 0)
        FFiles.prepend(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
    else
        MoveToTop(k);
}

void TLastFiles::MoveToTop(int k) {
    for (int i = k; i > 0 && i < FFiles.size(); --i)
        FFiles.swapItemsAt(i, i - 1);
}
