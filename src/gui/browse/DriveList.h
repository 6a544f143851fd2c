#pragma once

#include "core/browse/Volumes.h"

#include <QComboBox>

namespace chimebox::browse {

// `Drive1`: the volumes a user would browse. Only the user's pick is an
// event; code that moves the list raises nothing.
class DriveList : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveList(QWidget *parent = nullptr);

    // Replaces the volumes shown, keeping the current one when it is still there.
    void setVolumes(const QList<Volume> &volumes);

    // The root path of the picked volume, a folder `Dir1` accepts.
    QString Drive() const;

    // Shows the volume that holds path (the longest root-path prefix).
    void showDriveOf(const QString &path);

    // Mounts come and go: the list is read afresh each time it opens.
    void showPopup() override;

Q_SIGNALS:
    // The user picked a volume other than the one shown before.
    void driveChosen();

private:
    void pick(int index);

    int shownIndex_ = -1;
};

} // namespace chimebox::browse
