#include "browse/FileList.h"

#include "Failure.h"
#include "browse/DirList.h"
#include "browse/FolderScan.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>

namespace chimebox::browse {

namespace {

template <typename DragEvent> void acceptUrls(DragEvent *event)
{
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // Like the platform's file list, it starts on the working folder; one
    // that cannot be read leaves the list empty until a folder is set.
    try {
        setPath(QDir::currentPath());
    } catch (const Failure &) {
    }
}

void FileList::setPattern(const QString &pattern)
{
    if (path_.isEmpty())
        pattern_ = pattern;
    else
        load(path_, pattern);
}

void FileList::setPath(const QString &path)
{
    load(cleanFolderPath(path), pattern_);
}

void FileList::load(const QString &folder, const QString &pattern)
{
    const QStringList names = audioFiles(folder, pattern);
    clear();
    addItems(names);
    path_ = folder;
    pattern_ = pattern;
    setListIndex(-1);
}

int FileList::listIndex() const
{
    const QList<QListWidgetItem *> picked = selectedItems();
    return picked.isEmpty() ? -1 : row(picked.first());
}

void FileList::setListIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    scrollToItem(QListWidget::item(index));
}

QString FileList::item(int index) const
{
    const QListWidgetItem *entry = QListWidget::item(index);
    return entry ? entry->text() : QString();
}

void FileList::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    Q_EMIT mouseReleased();
}

void FileList::dragEnterEvent(QDragEnterEvent *event)
{
    acceptUrls(event);
}

void FileList::dragMoveEvent(QDragMoveEvent *event)
{
    acceptUrls(event);
}

void FileList::dropEvent(QDropEvent *event)
{
    acceptUrls(event);
    if (event->isAccepted())
        Q_EMIT dropped(event->mimeData());
}

} // namespace chimebox::browse
