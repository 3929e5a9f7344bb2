#include "XMLDialogModels.h"

#include "QelImage.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QStorageInfo>

namespace {

QIcon Picture(int number) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    TQelImage::DrawPicture(p, number, QRectF(0, 0, 24, 24));
    return QIcon(pm);
}

} // namespace

TXMLIcons::TXMLIcons() : FFolder(Picture(TQelImage::picOpen)), FVolume(Picture(TQelImage::picComputer)) {}

QIcon TXMLIcons::icon(IconType type) const {
    if (type == QAbstractFileIconProvider::Folder)
        return FFolder;
    if (type == Drive || type == Computer || type == Network)
        return FVolume;
    return QIcon();
}

QIcon TXMLIcons::icon(const QFileInfo& info) const {
    return info.isDir() ? FFolder : QIcon();
}

TXMLPlacesModel::TXMLPlacesModel(QObject* parent) : QStandardItemModel(parent) {}

QList<TXMLPlace> TXMLPlacesModel::Volumes() {
    QList<TXMLPlace> out{{QStringLiteral("File System"), QStringLiteral("/"), true}};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QString root = v.rootPath();
        if (!v.isValid() || !v.isReady())
            continue;
        if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/")) ||
            root.startsWith(QLatin1String("/run/media/")))
            out.append({v.displayName(), root, true});
    }
    return out;
}

void TXMLPlacesModel::Rebuild(const QList<TXMLPlace>& places) {
    clear();
    const TXMLIcons icons;
    QList<TXMLPlace> all{{QStringLiteral("Home"), QDir::homePath()}};
    for (const TXMLPlace& p : places)
        if (QFileInfo(p.Path).isDir())
            all << p;
    all << Volumes();
    QStringList seen;
    for (const TXMLPlace& p : all) {
        const QString path = QDir::cleanPath(p.Path);
        if (seen.contains(path))
            continue;
        seen << path;
        auto* item = new QStandardItem(p.Volume ? icons.VolumeIcon() : icons.FolderIcon(), p.Caption);
        item->setData(path, PathRole);
        item->setToolTip(path);
        item->setEditable(false);
        appendRow(item);
    }
}

QString TXMLPlacesModel::PathAt(int row) const {
    const QStandardItem* i = item(row);
    return i ? i->data(PathRole).toString() : QString();
}
