#pragma once
#include <QAbstractFileIconProvider>
#include <QIcon>
#include <QStandardItemModel>
#include <QStringList>

// The pictures of the list: the application's folder picture for folders, the computer for
// volumes, none for files (the name says what they are).
class TXMLIcons : public QAbstractFileIconProvider {
public:
    TXMLIcons();
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QIcon FolderIcon() const { return FFolder; }
    QIcon VolumeIcon() const { return FVolume; }

private:
    QIcon FFolder;
    QIcon FVolume;
};

// A place of the computer level: the home folder, the test folders, a mounted volume.
struct TXMLPlace {
    QString Caption;
    QString Path;
    bool Volume = false;
};

// The computer level of the dialogs: the places, each row's path in Qt::UserRole.
class TXMLPlacesModel : public QStandardItemModel {
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole;
    explicit TXMLPlacesModel(QObject* parent = nullptr);
    // Home first, then the given places that exist, then the mounted volumes.
    void Rebuild(const QList<TXMLPlace>& places);
    QString PathAt(int row) const;
    // The file system and the volumes mounted under /media, /mnt and /run/media.
    static QList<TXMLPlace> Volumes();
};
