#pragma once
#include <QString>

#include <functional>

// Where a test file lies, as the file manager asks it: on removable media (a USB stick, a card;
// a test there is copied to the working folder before it is opened, and a "Save As" there keeps
// the test's own name) and on which volume. There are no drive letters: a volume is a mount
// point, and removable is the flag of the block device behind it. Tests put checks of their own
// in, so that they need no mounts.
struct TVolumeCheck {
    std::function<bool(const QString& path)> Removable;
    std::function<bool(const QString& a, const QString& b)> SameVolume;
    // The mount point the path lies on (its nearest existing folder's), as shown to the operator.
    std::function<QString(const QString& path)> VolumeOf;

    // The checks of this computer (QStorageInfo and /sys/class/block/<device>/removable).
    static TVolumeCheck System();
};
