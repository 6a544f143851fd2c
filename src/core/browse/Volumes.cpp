#include "core/browse/Volumes.h"

#include <QSet>
#include <QStorageInfo>
#include <algorithm>

namespace chimebox::browse {

namespace {

bool isUnder(const QString &path, const QString &base)
{
    return path == base || path.startsWith(base + u'/');
}

} // namespace

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
