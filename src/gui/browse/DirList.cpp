#include "gui/browse/DirList.h"

#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/FolderScan.h"

#include <QDir>
#include <QKeyEvent>
#include <QStyle>
#include <filesystem>

namespace chimebox::browse {

namespace {

// "/", "/home", "/home/user" for "/home/user".
QStringList ancestorsOf(const QString &folder)
{
    QStringList chain{QStringLiteral("/")};
    const QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
    QString walked;
    for (const QString &part : parts) {
        walked += u'/' + part;
        chain.append(walked);
    }
    return chain;
}

} // namespace

// The current folder's ancestors, each one step deeper than the one before,
// then its subfolders one step deeper still. Paths and icons are made when
// asked for, not once per subfolder.
class FolderTreeModel : public NameListModel
{
public:
    FolderTreeModel(const QIcon &openIcon, const QIcon &closedIcon, QObject *parent)
        : NameListModel(parent), openIcon_(openIcon), closedIcon_(closedIcon)
    {}

    void show(const QString &folder, const NameList &children)
    {
        folder_ = folder;
        ancestors_ = ancestorsOf(folder);
        NameList names;
        names.append(QStringLiteral("/"));
        for (qsizetype depth = 1; depth < ancestors_.size(); ++depth)
            names.append(ancestors_[depth].section(u'/', -1));
        names.append(children);
        setNames(std::move(names));
    }

    // The row of the current folder, the last ancestor.
    int currentRow() const { return int(ancestors_.size()) - 1; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid))
            return QVariant();
        const qsizetype row = index.row();
        const bool ancestor = row < ancestors_.size();
        switch (role) {
        case Qt::DecorationRole:
            return ancestor ? openIcon_ : closedIcon_;
        case DirList::PathRole:
            if (ancestor)
                return ancestors_[row];
            return folder_ == u"/" ? u'/' + names().at(row) : folder_ + u'/' + names().at(row);
        case DirList::DepthRole:
            return int(std::min(row, ancestors_.size()));
        default:
            return NameListModel::data(index, role);
        }
    }

private:
    QIcon openIcon_;
    QIcon closedIcon_;
    QString folder_;
    QStringList ancestors_;
};

DirList::DirList(FolderScan &scan, QWidget *parent)
    : QListView(parent), scan_(scan),
      entries_(new FolderTreeModel(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                   style()->standardIcon(QStyle::SP_DirClosedIcon), this))
{
    setModel(entries_);
    setItemDelegate(new NameListDelegate(this));
    // One row's size for all: laying out a big folder costs nothing per name.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QAbstractItemView::doubleClicked, this, &DirList::requestOpen);
    // Like the platform's folder list, it starts on the working folder; one
    // that cannot be read leaves the list empty until a folder is set.
    try {
        setPath(QDir::currentPath());
    } catch (const Failure &) {
    }
}

void DirList::setPath(const QString &path)
{
    const QString folder = cleanFolderPath(path);
    std::error_code ec;
    if (!std::filesystem::is_directory(nativename::toPath(folder), ec))
        throw Failure(QStringLiteral("フォルダがありません: %1").arg(folder));
    const NameList children = scan_.subfolders(folder);
    const bool changed = folder != path_;
    path_ = folder;
    entries_->show(folder, children);
    setCurrentIndex(entries_->index(entries_->currentRow()));
    if (changed && changeHandler_)
        changeHandler_();
}

void DirList::requestOpen(const QModelIndex &index)
{
    if (index.isValid())
        Q_EMIT openRequested(index.data(PathRole).toString());
}

void DirList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        requestOpen(currentIndex());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace chimebox::browse
