#include "core/settings/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace chimebox::settings {

QString chooseSettingsFolder(const QString &executableFolder, const QString &installedMenuEntry,
                             const QString &userConfigFolder)
{
    const QFileInfo exe(executableFolder);
    if (!QFileInfo::exists(installedMenuEntry) && exe.isDir() && exe.isWritable())
        return executableFolder;
    QDir().mkpath(userConfigFolder);
    return userConfigFolder;
}

QString settingsFolderForThisProcess()
{
    // The install step's layout, seen from the executable's folder
    // (../share/applications/… for the usual one), whatever the prefix.
    const QString executableFolder = QCoreApplication::applicationDirPath();
    return chooseSettingsFolder(
        executableFolder,
        QDir(executableFolder).filePath(QStringLiteral(CHIMEBOX_MENU_ENTRY_FROM_BINDIR)),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

} // namespace chimebox::settings
