#include "core/browse/Volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace chimebox::browse {

namespace {

bool isUnder(const QString &path, const QString &base)
{
    return path == base || path.startsWith(base + u'/');
}

// The table writes a blank, a tab, a line break and a backslash in a path as
// \040, \011, \012 and \134.
QString fromTable(const QByteArray &field)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QByteArray digits = field.mid(i + 1, 3);
        bool octal = false;
        const int code = digits.size() == 3 ? digits.toInt(&octal, 8) : 0;
        if (field[i] == '\\' && octal) {
            bytes += char(code);
            i += 3;
        } else {
            bytes += field[i];
        }
    }
    return QFile::decodeName(bytes);
}

// udev writes a label's odd characters as \xHH in the link's name.
QString fromLabelLink(const QString &name)
{
    QByteArray bytes = QFile::encodeName(name);
    QByteArray label;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bool hex = false;
        const int code = bytes.mid(i + 2, 2).toInt(&hex, 16);
        if (bytes.mid(i, 2) == "\\x" && hex && i + 3 < bytes.size()) {
            label += char(code);
            i += 3;
        } else {
            label += bytes[i];
        }
    }
    return QString::fromUtf8(label);
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

QHash<QString, QString> labelsIn(const QString &folder)
{
    QHash<QString, QString> labels;
    const QFileInfoList links =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : links) {
        if (link.isSymLink())
            labels.insert(link.canonicalFilePath(), fromLabelLink(link.fileName()));
    }
    return labels;
}

QList<Volume> mountsOf(const QByteArray &mountInfo, const QHash<QString, QString> &labels)
{
    QList<Volume> volumes;
    for (const QByteArray &line : mountInfo.split('\n')) {
        // ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE ...
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-", 6);
        if (fields.size() < 5 || separator < 0 || separator + 2 >= fields.size())
            continue;
        // A device may be named by a link (/dev/mapper/…, /dev/disk/by-uuid/…).
        const QString source = fromTable(fields[separator + 2]);
        QString label = labels.value(source);
        if (label.isEmpty() && source.startsWith(u"/dev/"))
            label = labels.value(QFileInfo(source).canonicalFilePath());
        volumes.append(Volume{fromTable(fields[4]), fromTable(fields[separator + 1]), label});
    }
    return volumes;
}

QList<Volume> mountedVolumes()
{
    // A file of /proc has no size to read up to.
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    return mountsOf(table.readAll(), labelsIn(QStringLiteral("/dev/disk/by-label")));
}

} // namespace chimebox::browse
