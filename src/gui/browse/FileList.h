#pragma once

#include "core/browse/NameList.h"

#include <QListView>

class QMimeData;

namespace chimebox::browse {

class FolderScan;
class NameListModel;

// `File1`: the names of the current folder's files that match the pattern,
// in natural order, at most one selected. It shows which file is current; the
// playback session holds it.
class FileList : public QListView
{
    Q_OBJECT

public:
    // Reads its folders through scan, which Dir1 shares.
    explicit FileList(FolderScan &scan, QWidget *parent = nullptr);

    // Reloads the listing with the new pattern; throws like setPath and then
    // keeps both the previous pattern and listing.
    void setPattern(const QString &pattern);

    QString path() const { return path_; }
    const browse::NameList &names() const;
    // Lists path (made absolute and clean), even when it is the folder shown
    // already; afterwards nothing is selected. Throws chimebox::Failure, and
    // keeps the previous listing, when the folder cannot be read.
    void setPath(const QString &path);

    int listIndex() const;
    // Selects and scrolls to index; -1 (or any index outside) clears the selection.
    void setListIndex(int index);
    int listCount() const;
    QString item(int index) const;

Q_SIGNALS:
    // A folder was listed; nothing is selected.
    void listed();
    // The selection changed, by the user or by setListIndex: the selected
    // row, -1 for none.
    void selectedRowChanged(int row);
    // A mouse button came up over the list; the press has already moved the
    // selection.
    void mouseReleased();
    // Something with urls was dropped; the data lives only during this signal.
    void dropped(const QMimeData *data);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void load(const QString &folder, const QString &pattern);

    FolderScan &scan_;
    NameListModel *names_;
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace chimebox::browse
