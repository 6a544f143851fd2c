#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QMimeData;

namespace chimebox::browse {

// Whether data is a list of files: it has urls and every one is a local file.
bool offersFileList(const QMimeData &data);

// The local paths of the dropped urls, in the order the drag source gave them.
QStringList droppedFiles(const QMimeData &data);

// The folder that holds item: the text before its last '/', once the
// trailing separators of a folder item are gone. An item directly under the
// root, and the root itself, give "/". Throws chimebox::Failure for an item
// without '/'.
QString folderText(const QString &item);

// One step of a drop, for the window to carry out in order.
struct DropStep
{
    enum class Action {
        ShowFolder, // the folder list moves to folder, as a user's change would
        ListFiles,  // the file list shows folder's files
        Fail,       // the step could not even be worked out: report it
    };

    // What the user is told of a step that failed, here or when carried out.
    static QString failureText();

    Action action = Action::Fail;
    QString folder;

    bool operator==(const DropStep &) const = default;
};

// A drop onto the file list moves the browser to the folder of each dropped
// item in turn: the folder list, then the file list. Each step stands alone: one that fails,
// here or when the window carries it out, is reported once and the walk goes
// on with the step after it. Data that is not a file list makes no step.
QList<DropStep> planDrop(const QMimeData *data);

} // namespace chimebox::browse
