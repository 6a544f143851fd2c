#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace chimebox::browse {

// The absolute form of path without "." or ".." parts and without a trailing
// separator, except for the root itself. Throws chimebox::Failure on empty text.
QString cleanFolderPath(const QString &path);

// Whether path names a folder that exists, looked up as the lists open it.
bool isFolder(const QString &path);

// True when name matches one of the ';'-separated wildcards of pattern
// ("*.wav;*.mp3;*.wma"). '*' stands for any run of characters, '?' for one;
// case is ignored, since users' files are not always lower case.
bool matchesPattern(const QString &name, const QString &pattern);

// Names (without folder) of the regular files in folder that match pattern,
// symlinks to files included and hidden files excluded, in natural order.
// That order is also the order of continuous play. Throws chimebox::Failure
// when the folder cannot be read. The last folder read is not read again
// while it stays unchanged (see FolderScan.cpp).
QStringList audioFiles(const QString &folder, const QString &pattern);

// Whether a listing read at readNs of a folder last modified at modifiedNs
// (nanoseconds since the epoch) may be reused while the folder's times stay as
// they are. File systems keep times as coarsely as every two seconds (FAT), so
// a change within the same stamp as the read would not show: only a listing
// read well after the folder's last change is trusted.
bool listingCanBeReused(qint64 modifiedNs, qint64 readNs);

// Names of the folders in folder, same rules and order as audioFiles.
QStringList subfolders(const QString &folder);

// Sorts names the way a person reads them: "2.mp3" before "10.mp3", letters
// in the order of the user's language.
void sortNaturally(QStringList &names);

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
