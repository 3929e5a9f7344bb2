#include "TestVolumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

QString ExistingFolder(const QString& path) {
    QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo(p).isDir() && !QDir(p).isRoot())
        p = QFileInfo(p).path();
    return p;
}

QString MountPoint(const QString& path) {
    const QStorageInfo volume(ExistingFolder(path));
    return volume.isValid() ? volume.rootPath() : QStringLiteral("/");
}

// The removable flag of the disk a block device belongs to (a partition asks its disk).
bool RemovableDevice(const QByteArray& device) {
    if (!device.startsWith("/dev/"))
        return false;
    QString node =
        QFileInfo(QStringLiteral("/sys/class/block/") + QFileInfo(QString::fromLocal8Bit(device)).fileName())
            .canonicalFilePath();
    if (node.isEmpty())
        return false;
    if (QFileInfo::exists(node + QStringLiteral("/partition")))
        node = QFileInfo(node).path();
    QFile flag(node + QStringLiteral("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.read(1) == "1";
}

} // namespace

TVolumeCheck TVolumeCheck::System() {
    TVolumeCheck check;
    check.Removable = [](const QString& path) {
        return RemovableDevice(QStorageInfo(ExistingFolder(path)).device());
    };
    check.SameVolume = [](const QString& a, const QString& b) { return MountPoint(a) == MountPoint(b); };
    check.VolumeOf = &MountPoint;
    return check;
}
