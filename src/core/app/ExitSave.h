#pragma once

#include "core/settings/SettingsFiles.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace chimebox::favourites {
class Favourites;
}

namespace chimebox::app {

// The two settings the window holds: the folder the file list shows and the
// favourites. Each is written as it changes (the favourites by Favourites),
// so that no exit of any kind loses one; what the window writes when it goes
// only confirms them. A close, a signal, the session manager's request to save
// and the application's end may each ask for that; the same contents are
// written once. Should the session go on after its save, a later change is
// saved too.
class ExitSave
{
public:
    ExitSave(settings::SettingsFolder folder, favourites::Favourites &favourites);

    // A file whose content never reached the window stays as it is.
    void keep(const QList<settings::SettingsFile> &files) { kept_ = files; }

    // Start-up is over and the file list shows folder: each other folder it
    // shows from now on is written at once.
    void started(const QString &folder) { written_ = folder; }

    // The file list may show another folder. Written when it differs from the
    // one written last; returns why it could not be, once until a write gets
    // through, so that browsing a read-only setup says it once.
    std::optional<QString> folderShown(const QString &folder);

    // Both files are attempted: a failed first write must not cost the other.
    // Returns a line for each write that failed.
    QStringList save(const QString &shownFolder);

private:
    struct Saved
    {
        QString folder;
        QStringList favourites;
        bool operator==(const Saved &) const = default;
    };

    settings::SettingsFolder folder_;
    favourites::Favourites &favourites_;
    QList<settings::SettingsFile> kept_;
    std::optional<QString> written_;
    bool failureReported_ = false;
    std::optional<Saved> saved_;
};

} // namespace chimebox::app
