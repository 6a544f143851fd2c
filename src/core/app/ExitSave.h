#pragma once

#include "settings/SettingsFiles.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace chimebox::app {

// What the window writes when it goes: the folder the file list shows, then
// the favourites. A close, a signal, the session manager's request to save and
// the application's end may each ask for it; the same contents are written
// once. Should the session go on after its save, a later change is saved too.
class ExitSave
{
public:
    explicit ExitSave(settings::SettingsFolder folder);

    // A file whose content never reached the window stays as it is.
    void keep(const QList<settings::SettingsFile> &files) { kept_ = files; }

    // Both files are attempted: a failed first write must not cost the other.
    // Returns a line for each write that failed.
    QStringList save(const QString &shownFolder, const QStringList &favourites);

private:
    struct Saved
    {
        QString folder;
        QStringList favourites;
        bool operator==(const Saved &) const = default;
    };

    settings::SettingsFolder folder_;
    QList<settings::SettingsFile> kept_;
    std::optional<Saved> saved_;
};

} // namespace chimebox::app
