#include "settings/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace chimebox::settings {

QString chooseSettingsFolder(const QString &executableFolder, const QString &userConfigFolder)
{
    const QFileInfo exe(executableFolder);
    if (exe.isDir() && exe.isWritable())
        return executableFolder;
    QDir().mkpath(userConfigFolder);
    return userConfigFolder;
}

QString settingsFolderForThisProcess()
{
    return chooseSettingsFolder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

} // namespace chimebox::settings
