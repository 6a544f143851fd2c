#pragma once

#include <QString>

namespace chimebox::settings {

// An installed copy, known by the menu entry its install step put beside it,
// keeps the settings in the user's configuration folder whoever runs it: root
// may write /usr/bin, and removing a package takes only what it installed. Any
// other copy (the build folder, one unpacked anywhere) keeps them beside
// itself, unless that folder cannot be written. The user's folder is created.
QString chooseSettingsFolder(const QString &executableFolder, const QString &installedMenuEntry,
                             const QString &userConfigFolder);

// The folder for this process: the executable's, or the user's.
QString settingsFolderForThisProcess();

} // namespace chimebox::settings
