#include "gui/browse/DriveList.h"

#include <QStyle>

namespace chimebox::browse {

namespace {

bool holds(const QString &root, const QString &path)
{
    if (root == u"/")
        return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

QString caption(const Volume &volume)
{
    if (volume.name.isEmpty() || volume.name == volume.rootPath)
        return volume.rootPath;
    return QStringLiteral("%1 [%2]").arg(volume.rootPath, volume.name);
}

} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, &DriveList::pick);
    setVolumes(userVolumes(mountedVolumes()));
}

void DriveList::setVolumes(const QList<Volume> &volumes)
{
    const QString current = Drive();
    const QSignalBlocker quiet(this);
    clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const Volume &volume : volumes)
        addItem(icon, caption(volume), volume.rootPath);
    const int keep = findData(current);
    setCurrentIndex(keep >= 0 ? keep : 0);
    shownIndex_ = currentIndex();
}

QString DriveList::Drive() const
{
    return currentData().toString();
}

void DriveList::showDriveOf(const QString &path)
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (holds(root, path) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0) {
        setCurrentIndex(best);
        shownIndex_ = best;
    }
}

void DriveList::showPopup()
{
    setVolumes(userVolumes(mountedVolumes()));
    QComboBox::showPopup();
}

void DriveList::pick(int index)
{
    if (index == shownIndex_)
        return;
    shownIndex_ = index;
    Q_EMIT driveChosen();
}

} // namespace chimebox::browse
