#pragma once

#include "core/settings/SettingsFiles.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace chimebox::favourites {

// The favourite folders: the list the window shows, the rules of "＞", "DEL"
// and a click on the list, and the favourites file behind them. Every change
// is written at once, so no exit of any kind loses one; the close confirms
// what the file holds.
//
// Someone may edit the file while the program runs. The file is only ever
// replaced by what the user changed in the program, so an edit made there
// since the program last read or wrote it is kept at the close; a change in
// the program after the edit writes the list the window shows.
class Favourites
{
public:
    explicit Favourites(settings::SettingsFolder folder);

    const QStringList &folders() const { return folders_; }

    // Start-up reads the file. A file that cannot be read throws Failure and
    // is then left as it is for the whole run: the empty list is not what it
    // holds.
    void load();

    // "＞" on the wide window: the folder becomes the last favourite, also
    // when it is one already. Returns why the file could not be written; the
    // favourite stays in the list all the same and the close tries again.
    std::optional<QString> add(const QString &folder);

    // "DEL": removes the favourite at index; nothing happens when index names
    // none (nothing selected). Returns why the file could not be written.
    std::optional<QString> remove(qsizetype index);

    // A click on the list: the folder to open, none when nothing is chosen.
    // Whether it still exists is found out by opening it.
    std::optional<QString> folderAt(qsizetype index) const;
    // What the user is told when that folder cannot be opened.
    static QString missingFolderText();

    // The close: writes the list again unless the file was edited elsewhere
    // since this run last read or wrote it. Throws Failure when the write fails.
    void save();

private:
    std::optional<QString> written();
    // The folders the file holds now; none when it is missing. Throws Failure.
    std::optional<QStringList> onDisk() const;

    settings::SettingsFolder folder_;
    QStringList folders_;
    // What the file held when this run last read or wrote it; none while it
    // was missing.
    std::optional<QStringList> known_;
    bool kept_ = false;
};

} // namespace chimebox::favourites
