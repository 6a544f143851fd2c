#include "core/browse/FolderScan.h"

#include "base/Failure.h"
#include "base/NativeName.h"

#include <QDir>
#include <QLocale>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <unicode/ucol.h>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace chimebox::browse {

namespace {

namespace fs = std::filesystem;

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Classic greedy wildcard walk: on a mismatch, let the last '*' swallow one
// more character and retry from there.
bool wildcardMatch(QStringView name, QStringView wild)
{
    qsizetype n = 0;
    qsizetype w = 0;
    qsizetype starW = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (w < wild.size() && wild[w] == u'*') {
            starW = w++;
            starN = n;
        } else if (w < wild.size() && (wild[w] == u'?' || sameLetter(wild[w], name[n]))) {
            ++n;
            ++w;
        } else if (starW >= 0) {
            w = starW + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (w < wild.size() && wild[w] == u'*')
        ++w;
    return w == wild.size();
}

// One wildcard of a pattern. "*.mp3" and its like only test the name's
// ending, which is most of the time spent listing a big folder.
class Wildcard
{
public:
    explicit Wildcard(const QString &wild) : wild_(wild)
    {
        const QStringView rest = QStringView(wild).mid(1);
        endingOnly_ = wild.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?');
    }

    bool matches(QStringView name) const
    {
        if (endingOnly_)
            return name.endsWith(QStringView(wild_).mid(1), Qt::CaseInsensitive);
        return wildcardMatch(name, wild_);
    }

private:
    QString wild_;
    bool endingOnly_ = false;
};

std::vector<Wildcard> splitPattern(const QString &pattern)
{
    std::vector<Wildcard> wilds;
    for (const QString &part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString wild = part.trimmed();
        if (!wild.isEmpty())
            wilds.emplace_back(wild);
    }
    return wilds;
}

bool matchesAny(const QString &name, const std::vector<Wildcard> &wilds)
{
    return std::any_of(wilds.begin(), wilds.end(),
                       [&](const Wildcard &wild) { return wild.matches(name); });
}

// The collator QCollator would make for the user's language in numeric mode,
// opened straight from ICU (the library Qt collates with here) so that every
// key lands in one buffer instead of an object of its own.
class NaturalCollator
{
public:
    NaturalCollator()
    {
        QLocale locale;
        // The C locale collates by code point and ignores numeric mode; this
        // program speaks Japanese, so its users get the Japanese order instead.
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::Japanese, QLocale::Japan);
        const QByteArray name = locale.bcp47Name().replace('-', '_').toLatin1();
        UErrorCode status = U_ZERO_ERROR;
        collator_.reset(ucol_open(name.constData(), &status));
        if (U_FAILURE(status)) {
            collator_.reset();
            return;
        }
        // QCollator's settings, so the order stays the one it gives.
        ucol_setAttribute(collator_.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(collator_.get(), UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
        ucol_setAttribute(collator_.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        if (U_FAILURE(status))
            collator_.reset();
    }

    // Appends the key of text to keys; returns its length. Without a
    // collator every key is empty and code points alone decide.
    qsizetype appendKey(QStringView text, std::vector<uint8_t> &keys) const
    {
        if (!collator_)
            return 0;
        const auto *units = reinterpret_cast<const UChar *>(text.utf16());
        const auto length = int32_t(text.size());
        const size_t at = keys.size();
        int32_t room = 32 + 4 * length;
        keys.resize(at + size_t(room));
        int32_t size = ucol_getSortKey(collator_.get(), units, length, keys.data() + at, room);
        if (size > room) {
            keys.resize(at + size_t(size));
            size = ucol_getSortKey(collator_.get(), units, length, keys.data() + at, size);
        }
        keys.resize(at + size_t(size));
        return size;
    }

private:
    struct Close
    {
        void operator()(UCollator *collator) const { ucol_close(collator); }
    };
    std::unique_ptr<UCollator, Close> collator_;
};

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

// The folder read last. Start-up, a favourite and a drop set Dir1's Path and
// then File1's to one folder (start-up File1's twice), so one read serves
// them all, and each list's order is worked out once, while the folder's
// stamp stays (and listingCanBeReused says it may).
struct Listing
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
};

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

Listing &listingOf(const QString &folder)
{
    static Listing last;
    const fs::path path = nativename::toPath(folder);
    // Taken before the read, so a change while reading shows next time.
    const std::optional<Stamp> stamp = stampOf(path);
    if (last.trusted && stamp && last.folder == folder && last.stamp == stamp)
        return last;
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
    last = std::move(fresh);
    return last;
}

// Whether the entry is of type, following a link to what it leads to.
bool leadsTo(const Listing &listing, const Entry &entry, fs::file_type type)
{
    if (entry.type != fs::file_type::symlink)
        return entry.type == type;
    std::error_code ec;
    const fs::path target = nativename::toPath(listing.folder + u'/' + entry.name);
    return fs::status(target, ec).type() == type;
}

constexpr qsizetype kSplitFrom = 4096;

// One name's place in a sort. The first eight bytes of its key ride along,
// so most comparisons never leave the array being sorted.
struct Keyed
{
    quint64 head;
    const uint8_t *key;
    size_t size;
    qsizetype index;
};

// Names the collator holds equal still get one fixed order, so the play
// order never depends on the order of the folder on disk.
bool before(const Keyed &a, const Keyed &b, const QStringList &names)
{
    if (a.head != b.head)
        return a.head < b.head;
    const int byKey = std::memcmp(a.key, b.key, std::min(a.size, b.size));
    if (byKey != 0)
        return byKey < 0;
    if (a.size != b.size)
        return a.size < b.size;
    return names[a.index] < names[b.index];
}

// names[from, to) in natural order, their keys held in keys.
std::vector<Keyed> sortedRun(const QStringList &names, qsizetype from, qsizetype to,
                             std::vector<uint8_t> &keys)
{
    const NaturalCollator collator;
    keys.reserve(size_t(to - from) * 48);
    std::vector<size_t> offsets;
    offsets.reserve(size_t(to - from));
    std::vector<Keyed> order;
    order.reserve(size_t(to - from));
    for (qsizetype index = from; index < to; ++index) {
        offsets.push_back(keys.size());
        order.push_back({0, nullptr, size_t(collator.appendKey(names[index], keys)), index});
    }
    // The buffer stays put from here on.
    for (size_t i = 0; i < order.size(); ++i) {
        Keyed &entry = order[i];
        entry.key = keys.data() + offsets[i];
        for (size_t byte = 0; byte < 8; ++byte)
            entry.head = (entry.head << 8) | (byte < entry.size ? entry.key[byte] : 0);
    }
    std::sort(order.begin(), order.end(),
              [&](const Keyed &a, const Keyed &b) { return before(a, b, names); });
    return order;
}

bool isUnder(const QString &path, const QString &base)
{
    return path == base || path.startsWith(base + u'/');
}

} // namespace

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

bool matchesPattern(const QString &name, const QString &pattern)
{
    return matchesAny(name, splitPattern(pattern));
}

bool listingCanBeReused(qint64 modifiedNs, qint64 readNs)
{
    // Over the two seconds of the coarsest stamps, with room for a clock that
    // rounds the other way.
    constexpr qint64 kCoarsestStampNs = 3'000'000'000;
    return modifiedNs < readNs - kCoarsestStampNs;
}

QStringList audioFiles(const QString &folder, const QString &pattern)
{
    Listing &listing = listingOf(folder);
    if (listing.files && listing.pattern == pattern)
        return *listing.files;
    const std::vector<Wildcard> wilds = splitPattern(pattern);
    QStringList names;
    for (const Entry &entry : listing.entries) {
        // The name test first: it spares a stat for every link that is not music.
        if (matchesAny(entry.name, wilds) && leadsTo(listing, entry, fs::file_type::regular))
            names.append(entry.name);
    }
    sortNaturally(names);
    if (!listing.hasLinks) {
        listing.pattern = pattern;
        listing.files = names;
    }
    return names;
}

QStringList subfolders(const QString &folder)
{
    Listing &listing = listingOf(folder);
    if (listing.folders)
        return *listing.folders;
    QStringList names;
    for (const Entry &entry : listing.entries) {
        if (leadsTo(listing, entry, fs::file_type::directory))
            names.append(entry.name);
    }
    sortNaturally(names);
    if (!listing.hasLinks)
        listing.folders = names;
    return names;
}

void sortNaturally(QStringList &names)
{
    if (names.size() < 2)
        return;
    // A long list is sorted in two halves at once, the second on another
    // core, and the halves merged.
    const bool split = names.size() >= kSplitFrom && std::thread::hardware_concurrency() > 1;
    const qsizetype half = split ? names.size() / 2 : names.size();
    const QStringList &all = names;
    std::vector<uint8_t> firstKeys;
    std::vector<uint8_t> secondKeys;
    std::vector<Keyed> second;
    std::vector<Keyed> first;
    {
        std::jthread helper;
        if (split)
            helper = std::jthread([&] { second = sortedRun(all, half, all.size(), secondKeys); });
        first = sortedRun(all, 0, half, firstKeys);
    }
    std::vector<Keyed> order(size_t(names.size()));
    std::merge(first.begin(), first.end(), second.begin(), second.end(), order.begin(),
               [&](const Keyed &a, const Keyed &b) { return before(a, b, all); });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Keyed &entry : order)
        sorted.append(std::move(names[entry.index]));
    names = std::move(sorted);
}

bool isUserVolume(const QString &rootPath, const QString &fsType)
{
    if (rootPath == u"/")
        return true;
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),    QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),      QStringLiteral("tmpfs"),    QStringLiteral("ramfs"),
        QStringLiteral("cgroup"),      QStringLiteral("cgroup2"),  QStringLiteral("securityfs"),
        QStringLiteral("pstore"),      QStringLiteral("debugfs"),  QStringLiteral("tracefs"),
        QStringLiteral("configfs"),    QStringLiteral("fusectl"),  QStringLiteral("mqueue"),
        QStringLiteral("hugetlbfs"),   QStringLiteral("bpf"),      QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"), QStringLiteral("efivarfs"), QStringLiteral("nsfs"),
        QStringLiteral("rpc_pipefs"),
    };
    if (pseudo.contains(fsType))
        return false;
    return rootPath == u"/home" || isUnder(rootPath, QStringLiteral("/mnt")) ||
           isUnder(rootPath, QStringLiteral("/media")) ||
           isUnder(rootPath, QStringLiteral("/run/media"));
}

QList<Volume> userVolumes(const QList<Volume> &mounted)
{
    QList<Volume> volumes;
    QSet<QString> seen;
    for (const Volume &volume : mounted) {
        if (isUserVolume(volume.rootPath, volume.fsType) && !seen.contains(volume.rootPath)) {
            seen.insert(volume.rootPath);
            volumes.append(volume);
        }
    }
    if (!seen.contains(QStringLiteral("/")))
        volumes.append(Volume{QStringLiteral("/"), QString(), QString()});
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume &a, const Volume &b) { return a.rootPath < b.rootPath; });
    return volumes;
}

QList<Volume> mountedVolumes()
{
    QList<Volume> volumes;
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        if (storage.isValid())
            volumes.append(Volume{storage.rootPath(), QString::fromUtf8(storage.fileSystemType()),
                                  storage.displayName()});
    }
    return volumes;
}

} // namespace chimebox::browse
