#pragma once

#include <QString>

namespace chimebox::settings {

// The settings live beside the executable (a portable install, or the build
// folder). Where that folder cannot be written, as for an install under /usr,
// they live in the user's configuration folder instead, which is created.
QString chooseSettingsFolder(const QString &executableFolder, const QString &userConfigFolder);

// The folder for this process: the executable's, or the user's fallback.
QString settingsFolderForThisProcess();

} // namespace chimebox::settings
