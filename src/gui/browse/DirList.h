#pragma once

#include "gui/browse/NameListModel.h"

#include <QListView>
#include <functional>

namespace chimebox::browse {

class FolderScan;
class FolderTreeModel;

// `Dir1`: the folder hierarchy around the current folder. Its ancestors from
// the root down, then the current folder's subfolders one level deeper.
class DirList : public QListView
{
    Q_OBJECT

public:
    // Each entry's full path is kept under this role.
    static constexpr int PathRole = Qt::UserRole;
    static constexpr int DepthRole = NameListModel::DepthRole;

    // Reads its folders through scan, which File1 shares.
    explicit DirList(FolderScan &scan, QWidget *parent = nullptr);

    QString path() const { return path_; }

    // Moves to path (made absolute and clean). Throws chimebox::Failure, and
    // changes nothing, when the folder does not exist or cannot be listed.
    // When the folder actually changed, runs the change handler before
    // returning; what that handler throws reaches the caller.
    void setPath(const QString &path);

    // Runs nested inside setPath, so it is a plain callback: exceptions must
    // not cross Qt's signal machinery.
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }

Q_SIGNALS:
    // The user opened an entry (double-click or Enter).
    void openRequested(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void requestOpen(const QModelIndex &index);

    FolderScan &scan_;
    FolderTreeModel *entries_;
    QString path_;
    std::function<void()> changeHandler_;
};

} // namespace chimebox::browse
