#include "ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

#ifndef QEL_INSTALL_DATA_RELATIVE
#define QEL_INSTALL_DATA_RELATIVE "../share/qel8625"
#endif

Q_LOGGING_CATEGORY(lcQelFiles, "qel.files")

namespace {

QString WithSlash(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

// Where an installation keeps its shipped files, seen from its program folder.
const QString InstalledData = QStringLiteral(QEL_INSTALL_DATA_RELATIVE);

QString Clean(const QString& folder) {
    return QDir::cleanPath(QDir(folder.isEmpty() ? ProgramFolder() : folder).absolutePath());
}

} // namespace

QString ProgramFolder() {
    return WithSlash(QCoreApplication::applicationDirPath());
}

bool IsInstalledFolder(const QString& programFolder) {
    const QString dir = Clean(programFolder);
    if (QFileInfo(dir + '/' + InstalledData).isDir())
        return true;
    // The data folder itself (<prefix>/share/qel8625), as the data module passes it on.
    QString tail = InstalledData;
    while (tail.startsWith(QLatin1String("../")))
        tail = tail.mid(3);
    return dir.endsWith('/' + tail);
}

QString ProgramDataFolder(const QString& programFolder) {
    const QString dir = Clean(programFolder);
    const QString installed = QDir::cleanPath(dir + '/' + InstalledData);
    return WithSlash(QFileInfo(installed).isDir() ? installed : dir);
}

QString ProgramFileName(const QString& name, const QString& folder) {
    QString dir = WithSlash(folder.isEmpty() ? ProgramFolder() : folder);
    if (!QFileInfo(dir).isWritable() || IsInstalledFolder(dir)) {
        dir = WithSlash(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
        QDir().mkpath(dir);
    }
    return dir + name;
}

void TraceShippedFile(const char* role, const QString& file) {
    qCDebug(lcQelFiles, "%s %s: %s", role, qUtf8Printable(file),
            QFileInfo(file).isFile() ? "found" : "missing");
}
