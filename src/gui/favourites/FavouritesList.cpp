#include "gui/favourites/FavouritesList.h"

namespace chimebox::favourites {

void FavouritesList::showFolders(const QStringList &folders)
{
    int same = 0;
    while (same < count() && same < folders.size() && item(same)->text() == folders[same])
        ++same;
    while (count() > folders.size())
        delete takeItem(same);
    for (qsizetype i = count(); i < folders.size(); ++i)
        addItem(folders[i]);
}

int FavouritesList::selectedRow() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

} // namespace chimebox::favourites
