#include "SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

namespace {

const char* const kTempMark = ".~tmp";

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

QString TempNameFor(const QString& path) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = path + QLatin1String(kTempMark);
    for (int i = 0; i < 8; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(36)]);
    return name;
}

bool SyncToDisk(QFile& file) {
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    return true;
#endif
}

// A rename is durable only once the folder's entry is on the disk as well.
void SyncFolder(const QString& path) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

bool Fail(QString* error, const QString& path, const QString& reason) {
    if (error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

// content into a new temporary file beside path, on the disk when true is returned.
bool WriteTemporary(const QString& path, const QByteArray& content, QString& temp, QString* error) {
    QFile file;
    for (int attempt = 0; attempt < 16 && !file.isOpen(); ++attempt) {
        temp = TempNameFor(path);
        file.setFileName(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !file.exists())
            break;
    }
    if (!file.isOpen())
        return Fail(error, path, file.errorString());
    const bool ok = file.write(content) == content.size() && file.flush() && SyncToDisk(file);
    const QString reason = file.error() != QFileDevice::NoError ? file.errorString()
                                                                : QStringLiteral("cannot write to the disk");
    file.close();
    if (ok && file.error() == QFileDevice::NoError)
        return true;
    QFile::remove(temp);
    return Fail(error, path, reason);
}

bool RenameOver(const QString& from, const QString& to, QString* error) {
    std::error_code ec;
    std::filesystem::rename(FsPath(from), FsPath(to), ec);
    if (!ec)
        return true;
    QFile::remove(from);
    return Fail(error, to, QString::fromLocal8Bit(ec.message().c_str()));
}

// The previous version under the backup name, replaced in one step: a hard link costs no
// copying; where the file system has none (removable media), a copy is made.
void MakeRollingBackup(const QString& path, const QString& backup) {
    const QString temp = TempNameFor(path);
    std::error_code ec;
    std::filesystem::create_hard_link(FsPath(path), FsPath(temp), ec);
    if (ec) {
        QFile source(path);
        QString copy;
        if (!source.open(QIODevice::ReadOnly) || !WriteTemporary(path, source.readAll(), copy, nullptr))
            return;
        std::filesystem::rename(FsPath(copy), FsPath(temp), ec);
        if (ec) {
            QFile::remove(copy);
            return;
        }
    }
    RenameOver(temp, backup, nullptr);
}

} // namespace

bool ReplaceFile(const QString& path, const QByteArray& content, const QString& rollingBackup,
                 QString* error) {
    QString temp;
    if (!WriteTemporary(path, content, temp, error))
        return false;
    const bool existed = QFileInfo(path).isFile();
    if (!rollingBackup.isEmpty() && existed)
        MakeRollingBackup(path, rollingBackup);
    if (!RenameOver(temp, path, error))
        return false;
    if (!rollingBackup.isEmpty() && !existed)
        QFile::remove(rollingBackup);
    SyncFolder(path);
    return true;
}

bool CopyFileSafely(const QString& from, const QString& to, QString* error) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return Fail(error, from, source.errorString());
    const QByteArray content = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return Fail(error, from, source.errorString());
    QString temp;
    if (!WriteTemporary(to, content, temp, error) || !RenameOver(temp, to, error))
        return false;
    SyncFolder(to);
    return true;
}

bool MoveFileOver(const QString& from, const QString& to, QString* error) {
    std::error_code ec;
    std::filesystem::rename(FsPath(from), FsPath(to), ec);
    if (ec)
        return Fail(error, to, QString::fromLocal8Bit(ec.message().c_str()));
    SyncFolder(to);
    return true;
}

void RemoveStaleTemporaries(const QString& path) {
    const QFileInfo info(path);
    QDir folder = info.absoluteDir();
    // Compared as text, not as a name pattern: a test named "Tap [1].xml" must find its own
    // leftovers and leave those of "Tap 1.xml" alone.
    const QString prefix = info.fileName() + QLatin1String(kTempMark);
    const QStringList candidates =
        folder.entryList({QLatin1Char('*') + QLatin1String(kTempMark) + QLatin1Char('*')},
                         QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates)
        if (name.startsWith(prefix))
            folder.remove(name);
}
