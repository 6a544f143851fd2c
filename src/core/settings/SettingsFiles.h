#pragma once

#include <QString>
#include <QStringList>

// The six settings files beside the program: their names, where they live,
// the presence test and the text formats.
namespace chimebox::settings {

enum class SettingsFile {
    StopMarker, // "stoper.ini": present while the stop timer is on
    PlayMarker, // "player.ini": present while the play timer is on
    StopTime,   // "stoptime.ini": hour text then minute text
    PlayTime,   // "playtime.ini"
    Favourites, // "chimeboxfl.ini": one folder a line, then an empty line
    LastFolder, // "chimebox.ini": the folder the file list showed at exit
};

// The file's name with its leading separator, e.g. "/stoper.ini".
QString fileName(SettingsFile file);

class SettingsFolder
{
public:
    explicit SettingsFolder(QString folder);

    const QString &folder() const { return folder_; }

    // The folder followed directly by the file name; a folder that already ends
    // in a separator (the root) gets a second one, which still names the file.
    QString path(SettingsFile file) const;

    // A regular, visible file; a folder of the same name counts as missing.
    bool isPresent(SettingsFile file) const;

    QString read(SettingsFile file) const;
    void write(SettingsFile file, const QString &text) const;
    // Deletes the file when it is present; nothing when it is not.
    void removeIfPresent(SettingsFile file) const;

private:
    QString folder_;
};

// Every CR LF pair removed, wherever it stands; a lone CR or LF stays.
QString removeCrLf(const QString &stored);
// First two characters of the stored time without its CR LF pairs.
QString hourText(const QString &stored);
// Last two characters of the stored time without its CR LF pairs.
QString minuteText(const QString &stored);
// hourText, ":" and minuteText: what the tick compares with hh:mm.
QString normalisedTime(const QString &stored);

// The non-empty pieces between CR LF pairs, in file order, duplicates kept.
QStringList parseFavourites(const QString &text);
// Each item followed by CR LF (WriteFile then adds the closing CR LF).
QString formatFavourites(const QStringList &items);

} // namespace chimebox::settings
