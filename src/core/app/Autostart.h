#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace chimebox::app {

// Starting with the session, so that an alarm ticked in the evening still
// rings after a restart in the night: an entry named after the application id
// in the user's autostart folder ($XDG_CONFIG_HOME/autostart, ~/.config/autostart
// without it), which desktop sessions start at login. Nothing is written until
// the user asks.
//
// The entry starts this very copy by its absolute path, installed or not: a
// login session's PATH may lack ~/.local/bin or /usr/local/bin, and a name
// looked up there may find another copy, with other settings and another
// alarm. An installed copy (its menu entry beside its bin/, as for where the
// settings live) gives the entry its menu entry's names, comments and icon;
// any other copy its name and icon.
class Autostart
{
public:
    // program: this copy's absolute path; menuEntry: where its menu entry lies
    // when it is installed; folder: the autostart folder.
    Autostart(QString program, QString menuEntry, QString folder);
    // This process, and the autostart folder the environment names now.
    static Autostart forThisProcess();

    QString entryPath() const;

    // Whether the session will start this copy: the entry is there and starts
    // this copy's program (an installed copy's also by its menu entry's
    // command, as desktops' own start-up settings copy that entry), and says
    // neither Hidden=true nor X-GNOME-Autostart-enabled=false, which desktops
    // write to switch an entry off without deleting it. An entry that cannot
    // be read counts as off.
    bool isEnabled() const;

    // Writes the entry, making the folders it needs, private to the user; an
    // entry or link of that name is replaced (a link's target is kept).
    // Returns why not when it cannot, and then nothing has changed.
    std::optional<QString> enable() const;
    // Removes the entry (a link, not its target); nothing when there is none.
    // Returns why not when it cannot.
    std::optional<QString> disable() const;

private:
    bool installed() const;
    QByteArray entry() const;

    QString program_;
    QString menuEntry_;
    QString folder_;
};

// How a desktop entry's Exec value names program alone: in double quotes when
// it holds a character the Exec line reserves, with ", `, $ and \ escaped by a
// backslash inside them, % doubled, and then escaped as every string value is
// (\ doubled, tabs and line breaks as \t, \n, \r).
QString execValue(const QString &program);

// The program an Exec value starts, its escapes and quotes undone; empty when
// the value is malformed.
QString programOfExec(const QString &exec);

} // namespace chimebox::app
