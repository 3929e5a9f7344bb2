// The files that make up one test, and moving a test out of the way of a new one.
#include "XMLKvDoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList Companions(const TKvXML& doc, const QString& fileName) {
    return {fileName, doc.RollingBackupName(fileName), doc.ConfirmedCopyName(fileName)};
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
        bool taken = false;
        for (const QString& f : Companions(*this, candidate))
            taken = taken || QFileInfo::exists(f);
        if (!taken)
            return candidate;
    }
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
