#include "core/browse/FolderScan.h"

#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/NaturalOrder.h"
#include "core/browse/Wildcard.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace chimebox::browse {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void cannotRead(const QString &folder)
{
    throw Failure(QStringLiteral("フォルダを開けません: %1").arg(folder));
}

// One visible entry of a folder, as the folder itself tells it: a link is
// followed only when a listing asks what it leads to.
struct Entry
{
    QString name;
    fs::file_type type;
};

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
#ifdef Q_OS_UNIX
    struct stat info = {};
    if (::stat(folder.c_str(), &info) != 0)
        return std::nullopt;
    const auto ns = [](const timespec &time) {
        return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return Stamp{quint64(info.st_dev), quint64(info.st_ino), ns(info.st_mtim), ns(info.st_ctim)};
#else
    Q_UNUSED(folder);
    return std::nullopt;
#endif
}

// An entry's name from the folder's own bytes, without making a path of it.
// Most names are plain ASCII, which reads the same in every encoding.
QString nameOf(const fs::directory_entry &entry)
{
    if constexpr (sizeof(fs::path::value_type) == 1) {
        const std::string &path = entry.path().native();
        const size_t start = path.rfind('/') + 1;
        const char *name = path.data() + start;
        const auto size = qsizetype(path.size() - start);
        if (std::all_of(name, name + size, [](char c) { return (c & 0x80) == 0; }))
            return QString::fromLatin1(name, size);
        return nativename::decode(QByteArray::fromRawData(name, size));
    } else {
        return nativename::fromPath(entry.path().filename());
    }
}

std::vector<Entry> readEntries(const QString &folder, const fs::path &path)
{
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    if (ec)
        cannotRead(folder);
    std::vector<Entry> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        QString name = nameOf(*it);
        if (name.startsWith(u'.'))
            continue;
        // The folder's own record of each entry: no system call per name.
        std::error_code unknown;
        fs::file_type type = fs::file_type::unknown;
        if (it->is_symlink(unknown))
            type = fs::file_type::symlink;
        else if (it->is_directory(unknown))
            type = fs::file_type::directory;
        else if (it->is_regular_file(unknown))
            type = fs::file_type::regular;
        entries.push_back({std::move(name), type});
    }
    if (ec)
        cannotRead(folder);
    return entries;
}

} // namespace

struct FolderScan::Listing
{
    QString folder;
    std::optional<Stamp> stamp;
    bool trusted = false;
    std::vector<Entry> entries;
    // What a link leads to can change while the folder itself does not, so
    // lists of a folder with links are worked out again from its entries.
    bool hasLinks = false;
    QString pattern;
    std::optional<QStringList> files;
    std::optional<QStringList> folders;

    // Whether the entry is of type, following a link to what it leads to.
    bool leadsTo(const Entry &entry, fs::file_type type) const
    {
        if (entry.type != fs::file_type::symlink)
            return entry.type == type;
        std::error_code ec;
        const fs::path target = nativename::toPath(folder + u'/' + entry.name);
        return fs::status(target, ec).type() == type;
    }
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

FolderScan::Listing &FolderScan::listingOf(const QString &folder)
{
    const fs::path path = nativename::toPath(folder);
    // Taken before the read, so a change while reading shows next time.
    const std::optional<Stamp> stamp = stampOf(path);
    if (last_->trusted && stamp && last_->folder == folder && last_->stamp == stamp)
        return *last_;
    const qint64 readNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    Listing fresh;
    fresh.entries = readEntries(folder, path);
    fresh.hasLinks =
        std::any_of(fresh.entries.begin(), fresh.entries.end(),
                    [](const Entry &entry) { return entry.type == fs::file_type::symlink; });
    fresh.folder = folder;
    fresh.stamp = stamp;
    fresh.trusted = stamp && listingCanBeReused(stamp->modifiedNs, readNs);
    *last_ = std::move(fresh);
    return *last_;
}

QStringList FolderScan::audioFiles(const QString &folder, const QString &pattern)
{
    Listing &listing = listingOf(folder);
    if (listing.files && listing.pattern == pattern)
        return *listing.files;
    const FilePattern wanted(pattern);
    QStringList names;
    for (const Entry &entry : listing.entries) {
        // The name test first: it spares a stat for every link that is not music.
        if (wanted.matches(entry.name) && listing.leadsTo(entry, fs::file_type::regular))
            names.append(entry.name);
    }
    sortNaturally(names);
    if (!listing.hasLinks) {
        listing.pattern = pattern;
        listing.files = names;
    }
    return names;
}

QStringList FolderScan::subfolders(const QString &folder)
{
    Listing &listing = listingOf(folder);
    if (listing.folders)
        return *listing.folders;
    QStringList names;
    for (const Entry &entry : listing.entries) {
        if (listing.leadsTo(entry, fs::file_type::directory))
            names.append(entry.name);
    }
    sortNaturally(names);
    if (!listing.hasLinks)
        listing.folders = names;
    return names;
}

} // namespace chimebox::browse
