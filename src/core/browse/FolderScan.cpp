#include "browse/FolderScan.h"

#include "Failure.h"
#include "NativeName.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QDir>
#include <QLocale>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <filesystem>
#include <numeric>
#include <vector>

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

QStringList splitPattern(const QString &pattern)
{
    QStringList wilds;
    for (const QString &part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString wild = part.trimmed();
        if (!wild.isEmpty())
            wilds.append(wild);
    }
    return wilds;
}

bool matchesAny(const QString &name, const QStringList &wilds)
{
    return std::any_of(wilds.begin(), wilds.end(),
                       [&](const QString &wild) { return wildcardMatch(name, wild); });
}

QCollator naturalCollator()
{
    QLocale locale;
    // The C locale collates by code point and ignores numeric mode; this
    // program speaks Japanese, so its users get the Japanese order instead.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::Japanese, QLocale::Japan);
    QCollator collator(locale);
    collator.setNumericMode(true);
    return collator;
}

[[noreturn]] void cannotRead(const QString &folder)
{
    throw Failure(QStringLiteral("フォルダを開けません: %1").arg(folder));
}

// Lists the visible entries of folder that keep() accepts, in natural order.
template <typename Keep> QStringList scan(const QString &folder, Keep keep)
{
    std::error_code ec;
    fs::directory_iterator it(nativename::toPath(folder), ec);
    if (ec)
        cannotRead(folder);
    QStringList names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const QString name = nativename::fromPath(it->path().filename());
        if (!name.startsWith(u'.') && keep(*it, name))
            names.append(name);
    }
    if (ec)
        cannotRead(folder);
    sortNaturally(names);
    return names;
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

QStringList audioFiles(const QString &folder, const QString &pattern)
{
    const QStringList wilds = splitPattern(pattern);
    return scan(folder, [&](const fs::directory_entry &entry, const QString &name) {
        // The name test first: it spares a stat for every file that is not music.
        std::error_code ignored;
        return matchesAny(name, wilds) && entry.is_regular_file(ignored);
    });
}

QStringList subfolders(const QString &folder)
{
    return scan(folder, [](const fs::directory_entry &entry, const QString &) {
        std::error_code ignored;
        return entry.is_directory(ignored);
    });
}

void sortNaturally(QStringList &names)
{
    const QCollator collator = naturalCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(names.size()));
    for (const QString &name : names)
        keys.push_back(collator.sortKey(name));
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    // Names the collator holds equal still get one fixed order, so the play
    // order never depends on the order of the folder on disk.
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys[size_t(a)].compare(keys[size_t(b)]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype index : order)
        sorted.append(names[index]);
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
