#pragma once

#include "core/browse/NameList.h"

#include <QString>
#include <memory>

namespace chimebox::browse {

// The absolute form of path without "." or ".." parts and without a trailing
// separator, except for the root itself. Throws chimebox::Failure on empty text.
QString cleanFolderPath(const QString &path);

// Whether path names a folder that exists, looked up as the lists open it.
bool isFolder(const QString &path);

// Whether the folder at path may be listed and its files opened.
bool isReadableFolder(const QString &path);

// Whether a listing read at readNs of a folder last modified at modifiedNs
// (nanoseconds since the epoch) may be reused while the folder's times stay as
// they are. File systems keep times as coarsely as every two seconds (FAT), so
// a change within the same stamp as the read would not show: only a listing
// read well after the folder's last change is trusted.
bool listingCanBeReused(qint64 modifiedNs, qint64 readNs);

// Reads folders for the folder and file lists, keeping the folder read last.
// Start-up, a favourite and a drop show one folder in the folder list and then
// in the file list (start-up in the file list twice), so one read serves them all, and each list's
// order is worked out once, while the folder's stamp stays (and
// listingCanBeReused says it may). The window's two lists share one. A read
// keeps only what the lists show: the subfolders, and the files that match
// the pattern the file list asked for last, which it asks for again.
class FolderScan
{
public:
    FolderScan();
    ~FolderScan();

    FolderScan(const FolderScan &) = delete;
    FolderScan &operator=(const FolderScan &) = delete;

    // Names (without folder) of the regular files in folder that match
    // pattern (see FilePattern), symlinks to files included and hidden files
    // excluded, in natural order. That order is also the order of continuous
    // play. Throws chimebox::Failure when the folder cannot be read.
    NameList audioFiles(const QString &folder, const QString &pattern);

    // Names of the folders in folder, same rules and order as audioFiles.
    NameList subfolders(const QString &folder);

private:
    struct Listing;

    Listing &listingOf(const QString &folder, const QString &pattern);

    std::unique_ptr<Listing> last_;
    QString pattern_;
};

} // namespace chimebox::browse
