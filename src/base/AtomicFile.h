#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <optional>

// The one way a file of the program is replaced: all or nothing.
namespace chimebox::atomicfile {

// Replaces target with bytes. A fresh temporary file is created beside it
// (exclusively, so it never writes into a file or link someone else made),
// written, flushed and synced to disk, given perms when set, and renamed over
// target, whose folder is then synced too. On any failure the temporary file is removed, target is
// left as it was, and chimebox::Failure naming displayName is thrown.
void replace(const std::filesystem::path &target, const QByteArray &bytes,
             std::optional<std::filesystem::perms> perms, const QString &displayName);

// Whether name is one of the temporary files replace() makes for a target
// named targetName: "<targetName>.tmp" and six digits. A run that was killed
// mid-way leaves such a file behind.
bool isTemporaryFor(const QString &name, const QString &targetName);

} // namespace chimebox::atomicfile
