#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// The drive list's volumes: the mounted file systems a user would browse.
namespace chimebox::browse {

struct Volume
{
    QString rootPath;
    QString fsType;
    QString name;
};

// Whether a mounted file system is one a user would pick to browse music:
// the root, a separate /home, and anything mounted under /mnt, /media or
// /run/media; never kernel or runtime pseudo file systems.
bool isUserVolume(const QString &rootPath, const QString &fsType);

// The user volumes among mounted, "/" first and always present, each root once.
QList<Volume> userVolumes(const QList<Volume> &mounted);

// The file systems mounted on this machine right now, as the kernel's mount
// table lists them, named by their labels. No file system is asked anything
// (QStorageInfo asks each for its size): a network server, an automounter or
// a FUSE daemon (gvfs, the desktop's document portal) that does not answer
// would hold up the start, and the window with it.
QList<Volume> mountedVolumes();

// The labels in a folder of links such as udev's /dev/disk/by-label: each link
// is named after a label (odd characters written \xHH) and leads to its
// device. Keyed by the path the link leads to.
QHash<QString, QString> labelsIn(const QString &folder);

// The mounts of a table in /proc/self/mountinfo's format; labels maps a
// device, by the path its links lead to, to its label.
QList<Volume> mountsOf(const QByteArray &mountInfo, const QHash<QString, QString> &labels);

} // namespace chimebox::browse
