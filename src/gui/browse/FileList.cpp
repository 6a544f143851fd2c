#include "gui/browse/FileList.h"

#include "base/Failure.h"
#include "core/browse/FolderScan.h"
#include "gui/browse/NameListModel.h"

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

FileList::FileList(FolderScan &scan, QWidget *parent)
    : QListView(parent), scan_(scan), names_(new NameListModel(this))
{
    setModel(names_);
    setItemDelegate(new NameListDelegate(this));
    // One row's size for all: laying out a big folder costs nothing per name.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Q_EMIT selectedRowChanged(listIndex()); });
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
    names_->setNames(scan_.audioFiles(folder, pattern));
    path_ = folder;
    pattern_ = pattern;
    setListIndex(-1);
    Q_EMIT listed();
}

const browse::NameList &FileList::names() const
{
    return names_->names();
}

int FileList::listIndex() const
{
    const QModelIndexList picked = selectionModel()->selectedIndexes();
    return picked.isEmpty() ? -1 : picked.first().row();
}

void FileList::setListIndex(int index)
{
    if (index < 0 || index >= listCount()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex entry = names_->index(index);
    selectionModel()->setCurrentIndex(entry, QItemSelectionModel::ClearAndSelect);
    scrollTo(entry);
}

int FileList::listCount() const
{
    return int(names_->names().size());
}

QString FileList::item(int index) const
{
    return names_->names().at(index);
}

void FileList::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
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
