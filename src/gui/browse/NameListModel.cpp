#include "gui/browse/NameListModel.h"

#include <algorithm>

namespace chimebox::browse {

namespace {

constexpr int kIndentPixels = 12;
constexpr qsizetype kWidestCandidates = 8;

// A name's width in narrow characters, from its bytes: the wide scripts
// (about from Hangul Jamo up, so kana and kanji too, whose characters take
// three bytes or more) take about two.
int roughWidth(QByteArrayView name)
{
    int width = 0;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xc0) != 0x80)
            width += byte >= 0xe1 ? 2 : 1;
    }
    return width;
}

int indent(const QModelIndex &index)
{
    return index.data(NameListModel::DepthRole).toInt() * kIndentPixels;
}

} // namespace

void NameListModel::setNames(NameList names)
{
    beginResetModel();
    names_ = std::move(names);
    // The few roughly widest names, kept in order as one pass goes by.
    std::vector<std::pair<int, int>> widest;
    for (int row = 0; row < int(names_.size()); ++row) {
        const QByteArrayView name = names_.bytesAt(row);
        // A name is never wider than it has bytes, so most are passed over
        // without a look at their characters.
        const bool full = qsizetype(widest.size()) == kWidestCandidates;
        if (full && name.size() <= widest.back().first)
            continue;
        const std::pair<int, int> entry{roughWidth(name), row};
        if (!full)
            widest.push_back(entry);
        else if (entry.first > widest.back().first)
            widest.back() = entry;
        else
            continue;
        std::sort(widest.begin(), widest.end(), std::greater<>());
    }
    widestRows_.clear();
    for (const auto &[width, row] : widest)
        widestRows_.append(row);
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant NameListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return QVariant();
    return names_.at(index.row());
}

void NameListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyleOptionViewItem shifted(option);
    shifted.rect.setLeft(option.rect.left() + indent(index));
    QStyledItemDelegate::paint(painter, shifted, index);
}

QSize NameListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = rowSize(option, index);
    if (const auto *names = qobject_cast<const NameListModel *>(index.model())) {
        for (int row : names->widestRows())
            size = size.expandedTo(rowSize(option, names->index(row)));
    }
    return size;
}

QSize NameListDelegate::rowSize(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
}

} // namespace chimebox::browse
