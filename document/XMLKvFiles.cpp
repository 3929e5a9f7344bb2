// The files that make up one test, and moving a test out of the way of a new one.
#include "XMLKvDoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList Companions(const TKvXML& doc, const QString& fileName) {
    return {fileName, doc.RollingBackupName(fileName), doc.ConfirmedCopyName(fileName)};
}

// A stale confirmed copy or backup under a new test's name would later bring an old test back.
bool Taken(const TKvXML& doc, const QString& fileName) {
    for (const QString& f : Companions(doc, fileName))
        if (QFileInfo::exists(f))
            return true;
    return false;
}

// "Test9" -> "Test10", "Run007" -> "Run008", "Test" -> "Test1".
QString NextName(const QString& name) {
    qsizetype digits = 0;
    while (digits < name.size() && name.at(name.size() - 1 - digits).isDigit())
        ++digits;
    bool ok = false;
    const qulonglong n = digits > 0 && digits <= 18 ? name.right(digits).toULongLong(&ok) : 0;
    if (!ok)
        return name + '1';
    return name.left(name.size() - digits) + QString::number(n + 1).rightJustified(int(digits), '0');
}

} // namespace

QStringList TKvXML::TestFiles(const QString& fileName) const {
    QStringList files;
    for (const QString& f : Companions(*this, fileName))
        if (QFileInfo(f).isFile())
            files << f;
    return files;
}

QString TKvXML::KeptName(const QString& fileName, const QDateTime& when) const {
    const QFileInfo fi(fileName);
    const QString stem =
        fi.path() + '/' + fi.completeBaseName() + ' ' + when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const QString extension = fi.suffix().isEmpty() ? QString() : '.' + fi.suffix();
    for (int n = 1;; ++n) {
        const QString candidate = stem + (n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()) + extension;
        if (!Taken(*this, candidate))
            return candidate;
    }
}

QString TKvXML::UniqueName(const QString& fileName) const {
    const QFileInfo fi(fileName);
    const QString extension = fi.suffix().isEmpty() ? QString() : '.' + fi.suffix();
    QString base = fi.completeBaseName();
    QString candidate = fileName;
    while (Taken(*this, candidate)) {
        base = NextName(base);
        candidate = fi.path() + '/' + base + extension;
    }
    return candidate;
}

bool TKvXML::RenameTest(const QString& from, const QString& to, QString* error) const {
    const QStringList sources = Companions(*this, from);
    const QStringList targets = Companions(*this, to);
    QList<int> moved;
    for (int i = 0; i < sources.size(); ++i) {
        if (!QFileInfo(sources[i]).isFile())
            continue;
        QFile file(sources[i]);
        // rename() refuses an existing target: nothing of another test is ever replaced.
        if (!file.rename(targets[i])) {
            if (error)
                *error =
                    QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(sources[i]), file.errorString());
            for (int j : moved)
                QFile::rename(targets[j], sources[j]);
            return false;
        }
        moved << i;
    }
    return true;
}
