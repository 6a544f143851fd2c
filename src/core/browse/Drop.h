#pragma once

#include <QString>
#include <QStringList>
#include <functional>

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

struct DropSteps
{
    std::function<void(const QString &)> setDirPath;
    std::function<void(const QString &)> setFilePath;
    std::function<void()> showFailure;
};

// Moves the browser to the folder of each dropped item in turn. A step that
// fails shows the failure once and the walk goes on with the step after it;
// data that is not a file list ends silently.
void runDrop(const QMimeData *data, const DropSteps &steps);

} // namespace chimebox::browse
