#include "core/browse/FolderScan.h"

#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/NaturalOrder.h"
#include "core/browse/Wildcard.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace chimebox::browse {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void cannotRead(const QString &folder)
{
    throw Failure(QStringLiteral("フォルダを開けません: %1").arg(folder));
}

// What a folder's own metadata says of it. Any change to its entries moves
// the modification time, and a change of its permissions the change time.
struct Stamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    bool operator==(const Stamp &) const = default;
};

std::optional<Stamp> stampOf(const fs::path &folder)
{
    struct stat info = {};
    if (::stat(folder.c_str(), &info) != 0)
        return std::nullopt;
    const auto ns = [](const timespec &time) {
        return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return Stamp{quint64(info.st_dev), quint64(info.st_ino), ns(info.st_mtim), ns(info.st_ctim)};
}

// What an entry of the open folder dir is, following a link when follow
// says so; 0 when it cannot be told.
unsigned char typeOf(DIR *dir, const char *name, bool follow)
{
    struct stat info = {};
    if (::fstatat(::dirfd(dir), name, &info, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    if (S_ISDIR(info.st_mode))
        return DT_DIR;
    if (S_ISREG(info.st_mode))
        return DT_REG;
    if (S_ISLNK(info.st_mode))
        return DT_LNK;
    return DT_UNKNOWN;
}

// What the lists show of a folder.
struct Contents
{
    NameList files;
    NameList folders;
    bool hasLinks = false;
};

// One pass over the folder for both lists, each name taken as the folder
// itself records it: its type comes with it, so only links, and the entries
// of file systems that record no types, cost a system call.
Contents readFolder(const QString &folder, const fs::path &path, const FilePattern &wanted)
{
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        cannotRead(folder);
    const auto close = qScopeGuard([dir] { ::closedir(dir); });
    Contents contents;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                cannotRead(folder);
            break;
        }
        const QByteArrayView name(entry->d_name);
        if (name.startsWith('.'))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN)
            type = typeOf(dir, entry->d_name, false);
        if (type == DT_LNK) {
            contents.hasLinks = true;
            type = typeOf(dir, entry->d_name, true);
        }
        if (type == DT_DIR)
            contents.folders.append(name);
        else if (type == DT_REG && wanted.matches(name))
            contents.files.append(name);
    }
    contents.files.squeeze();
    contents.folders.squeeze();
    return contents;
}

} // namespace

struct FolderScan::Listing
{
    QString folder;
    std::optional<Stamp> stamp;
    // What a link leads to can change while the folder itself does not, so
    // a folder with links is read afresh every time.
    bool trusted = false;
    // The files are those the file list asked for, sorted once it asks.
    QString pattern;
    Contents contents;
    bool filesSorted = false;
    bool foldersSorted = false;
};

QString cleanFolderPath(const QString &path)
{
    if (path.trimmed().isEmpty())
        throw Failure(QStringLiteral("フォルダが指定されていません"));
    return QDir::cleanPath(QDir(path).absolutePath());
}

bool isFolder(const QString &path)
{
    if (path.trimmed().isEmpty())
        return false;
    std::error_code ec;
    return fs::is_directory(nativename::toPath(cleanFolderPath(path)), ec);
}

bool isReadableFolder(const QString &path)
{
    if (path.trimmed().isEmpty())
        return false;
    const QFileInfo folder(cleanFolderPath(path));
    return folder.isReadable() && folder.isExecutable();
}

bool listingCanBeReused(qint64 modifiedNs, qint64 readNs)
{
    // Over the two seconds of the coarsest stamps, with room for a clock that
    // rounds the other way.
    constexpr qint64 kCoarsestStampNs = 3'000'000'000;
    return modifiedNs < readNs - kCoarsestStampNs;
}

FolderScan::FolderScan() : last_(std::make_unique<Listing>()) {}

FolderScan::~FolderScan() = default;

FolderScan::Listing &FolderScan::listingOf(const QString &folder, const QString &pattern)
{
    const fs::path path = nativename::toPath(folder);
    // Taken before the read, so a change while reading shows next time.
    const std::optional<Stamp> stamp = stampOf(path);
    if (last_->trusted && stamp && last_->folder == folder && last_->stamp == stamp &&
        last_->pattern == pattern)
        return *last_;
    const qint64 readNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    Listing fresh;
    fresh.contents = readFolder(folder, path, FilePattern(pattern));
    fresh.folder = folder;
    fresh.stamp = stamp;
    fresh.pattern = pattern;
    fresh.trusted =
        stamp && listingCanBeReused(stamp->modifiedNs, readNs) && !fresh.contents.hasLinks;
    *last_ = std::move(fresh);
    return *last_;
}

NameList FolderScan::audioFiles(const QString &folder, const QString &pattern)
{
    pattern_ = pattern;
    Listing &listing = listingOf(folder, pattern);
    if (!listing.filesSorted) {
        sortNaturally(listing.contents.files);
        listing.filesSorted = true;
    }
    return listing.contents.files;
}

NameList FolderScan::subfolders(const QString &folder)
{
    Listing &listing = listingOf(folder, pattern_);
    if (!listing.foldersSorted) {
        sortNaturally(listing.contents.folders);
        listing.foldersSorted = true;
    }
    return listing.contents.folders;
}

} // namespace chimebox::browse
