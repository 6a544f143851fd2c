#pragma once

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

// The file systems mounted on this machine right now.
QList<Volume> mountedVolumes();

} // namespace chimebox::browse
