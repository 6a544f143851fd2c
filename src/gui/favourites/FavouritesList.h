#pragma once

#include <QListWidget>
#include <QStringList>

namespace chimebox::favourites {

// `List1`: shows the favourite folders that Favourites holds.
class FavouritesList : public QListWidget
{
    Q_OBJECT

public:
    using QListWidget::QListWidget;

    // Shows folders as they are after one change, a favourite added at the
    // end or one removed: the items before it stay, and so does the selection
    // there.
    void showFolders(const QStringList &folders);

    // The selected row, not the current one: focus alone makes a row current
    // without selecting it. -1 when none is.
    int selectedRow() const;
};

} // namespace chimebox::favourites
