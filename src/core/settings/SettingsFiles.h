#pragma once

#include <QString>
#include <QStringList>

// The six settings files beside the program: their names, where they live,
// the presence test, the text formats, and the one way each is read and
// written. Start-up, shutdown, the handlers and the tick all go through here.
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

// Other programs can leave anything in these files, and the tick reads the
// time files every second. Favourites of a few thousand folders fit in 64 KiB;
// a larger file is refused unread.
inline constexpr qsizetype kMaxSettingsBytes = 64 * 1024;
// PATH_MAX on Linux: a longer line names no folder the system could open, so
// it is no setting, only a cost to the window that would show it.
inline constexpr qsizetype kMaxLineBytes = 4096;

// A stored time as the pickers show it: the hour text and the minute text,
// each at most two characters, taken by position from the stored text.
struct StoredTime
{
    QString hour;
    QString minute;

    // "hh:mm" from the two parts: what the tick compares with the clock.
    QString clockText() const { return hour + u':' + minute; }
    bool operator==(const StoredTime &) const = default;
};

// Reading, CR LF, a lone CR and a lone LF each end a line, as other editors
// save them; writing always ends lines with CR LF.

// The first two and the last two characters of the stored text once every
// line break is gone (all of it when shorter); what lies between is dropped.
// Full-width digits read as ASCII ones; the file keeps them as typed.
StoredTime parseTime(const QString &stored);

// The non-empty lines, in file order, duplicates kept. A folder whose name
// holds a line break comes back as two items.
QStringList parseFavourites(const QString &text);
// Each item followed by CR LF (the writer then adds the closing CR LF).
QString formatFavourites(const QStringList &items);

// The folder: the stored text without the one line break at its end, so a
// folder whose name holds a line break comes back whole.
QString parseLastFolder(const QString &text);

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

    // A marker holds a line break alone; only its presence counts.
    void writeMarker(SettingsFile marker) const;
    // Deletes the file when it is present; nothing when it is not.
    void removeIfPresent(SettingsFile file) const;

    // Each reader refuses a file over kMaxSettingsBytes or with a line over
    // kMaxLineBytes; whatever the file holds, only Failure is thrown. A leading
    // UTF-8 byte-order mark is skipped.
    StoredTime readTime(SettingsFile timeFile) const;
    // The hour text directly followed by the minute text, nothing trimmed.
    void writeTime(SettingsFile timeFile, const QString &hour, const QString &minute) const;

    QStringList readFavourites() const;
    void writeFavourites(const QStringList &folders) const;

    QString readLastFolder() const;
    void writeLastFolder(const QString &folder) const;

private:
    QString read(SettingsFile file) const;
    void write(SettingsFile file, const QString &text) const;

    QString folder_;
};

} // namespace chimebox::settings
