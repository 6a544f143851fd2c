#include "browse/DirList.h"

#include "Failure.h"
#include "NativeName.h"
#include "browse/FolderScan.h"

#include <QDir>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <filesystem>

namespace chimebox::browse {

namespace {

constexpr int kIndentPixels = 12;

// Shifts each entry right by its depth, so the list reads as a tree.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex &index)
    {
        return index.data(DirList::DepthRole).toInt() * kIndentPixels;
    }
};

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

QString childPath(const QString &folder, const QString &name)
{
    return folder == u"/" ? u'/' + name : folder + u'/' + name;
}

} // namespace

DirList::DirList(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
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
    const QStringList children = subfolders(folder);
    const bool changed = folder != path_;
    show(folder, children);
    if (changed && changeHandler_)
        changeHandler_();
}

void DirList::show(const QString &folder, const QStringList &children)
{
    clear();
    path_ = folder;
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = ancestorsOf(folder);
    for (qsizetype depth = 0; depth < chain.size(); ++depth) {
        const QString &ancestor = chain[depth];
        const QString name = depth == 0 ? ancestor : ancestor.section(u'/', -1);
        auto *entry = new QListWidgetItem(openIcon, name, this);
        entry->setData(PathRole, ancestor);
        entry->setData(DepthRole, int(depth));
    }
    setCurrentRow(int(chain.size() - 1));
    for (const QString &child : children) {
        auto *entry = new QListWidgetItem(closedIcon, child, this);
        entry->setData(PathRole, childPath(folder, child));
        entry->setData(DepthRole, int(chain.size()));
    }
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
    QListWidget::keyPressEvent(event);
}

} // namespace chimebox::browse
