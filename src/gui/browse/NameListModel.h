#pragma once

#include "core/browse/NameList.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

namespace chimebox::browse {

// The names a list shows, held as the folder gave them: no object per row,
// and a row's text made only when it is drawn, so a folder of 100,000 files
// is shown about as fast as it is read and takes little more memory than
// its names.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // How many steps a row is indented; rows without it are not.
    static constexpr int DepthRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    // Replaces every row at once.
    void setNames(NameList names);
    const NameList &names() const { return names_; }

    // The rows most likely to hold the widest names. A view that takes one
    // size for all rows measures these instead of every name.
    const QList<int> &widestRows() const { return widestRows_; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    NameList names_;
    QList<int> widestRows_;
};

// Draws a NameListModel's rows, indented by their depth, and sizes every row
// like the widest one, so the list still scrolls sideways to a long name while
// its view asks for a single row's size.
class NameListDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QSize rowSize(const QStyleOptionViewItem &option, const QModelIndex &index) const;
};

} // namespace chimebox::browse
