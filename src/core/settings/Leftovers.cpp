#include "core/settings/Leftovers.h"

#include "base/AtomicFile.h"
#include "core/settings/SettingsFiles.h"

#include <QDir>
#include <QDirIterator>

namespace chimebox::settings {

void removeLeftoverTemporaries(const QString &folder)
{
    static const SettingsFile kFiles[] = {
        SettingsFile::StopMarker, SettingsFile::PlayMarker, SettingsFile::StopTime,
        SettingsFile::PlayTime,   SettingsFile::Favourites, SettingsFile::LastFolder,
    };
    QDir dir(folder);
    // One pass over the folder, which may be a large one: the program's own.
    QDirIterator entries(folder, {QStringLiteral("*.tmp??????")}, QDir::Files | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QString name = entries.fileName();
        for (const SettingsFile file : kFiles) {
            if (atomicfile::isTemporaryFor(name, fileName(file).mid(1))) {
                // One left in place is harmless; the next start tries again.
                dir.remove(name);
                break;
            }
        }
    }
}

} // namespace chimebox::settings
