#include "ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString WithSlash(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

} // namespace

QString ProgramFolder() {
    return WithSlash(QCoreApplication::applicationDirPath());
}

QString ProgramFileName(const QString& name, const QString& folder) {
    QString dir = WithSlash(folder.isEmpty() ? ProgramFolder() : folder);
    if (!QFileInfo(dir).isWritable()) {
        dir = WithSlash(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
        QDir().mkpath(dir);
    }
    return dir + name;
}
