#include "core/browse/FileManager.h"

#include "base/Failure.h"
#include "base/NativeName.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace chimebox::browse {

namespace {

// A name that is not valid UTF-8 would lose its stray bytes on the way into
// the child's argument list, so such a folder goes as a percent-encoded url,
// which every file manager accepts as well.
QString folderArgument(const QString &folder)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(folder);
#else
    const QByteArray bytes = nativename::encode(folder);
    if (QString::fromUtf8(bytes) == folder)
        return folder;
    return QString::fromLatin1(QByteArrayLiteral("file://") + bytes.toPercentEncoding("/"));
#endif
}

} // namespace

QString DesktopFileManager::program()
{
#ifdef Q_OS_WIN
    return QStandardPaths::findExecutable(QStringLiteral("explorer"));
#else
    const QStringList candidates = {
        QStringLiteral("xdg-open"), QStringLiteral("nautilus"),   QStringLiteral("dolphin"),
        QStringLiteral("nemo"),     QStringLiteral("thunar"),     QStringLiteral("caja"),
        QStringLiteral("pcmanfm"),  QStringLiteral("pcmanfm-qt"),
    };
    for (const QString &candidate : candidates) {
        QString found = QStandardPaths::findExecutable(candidate);
        if (!found.isEmpty())
            return found;
    }
    return QString();
#endif
}

void DesktopFileManager::open(const QString &folder)
{
    const QString manager = program();
    if (manager.isEmpty())
        throw Failure(QStringLiteral("ファイルマネージャが見つかりません"));
    // An absolute path never starts with '-', so no file manager mistakes it for an option.
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    if (!QProcess::startDetached(manager, {folderArgument(absolute)}))
        throw Failure(QStringLiteral("ファイルマネージャを起動できません: %1").arg(manager));
}

} // namespace chimebox::browse
