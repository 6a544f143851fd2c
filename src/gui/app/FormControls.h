#pragma once

#include "core/browse/FolderScan.h"

#include <QHash>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace chimebox::browse {
class DirList;
class DriveList;
class FileList;
} // namespace chimebox::browse
namespace chimebox::favourites {
class FavouritesList;
}

namespace chimebox::app {

// The window's controls, each where the layout puts it and named as the
// window's handlers know it, and the rule that an assignment by code raises
// the control's own event, nested inside it, as a user's change would.
class FormControls
{
public:
    // Creates the controls on window; playerView becomes wmp1.
    FormControls(QWidget &window, QWidget *playerView);

    FormControls(const FormControls &) = delete;
    FormControls &operator=(const FormControls &) = delete;

    // The handler that an assignment below raises for control: Dir1's or
    // File1's folder, a check box's value, a combo box's text. A handler's
    // failure is thrown out of the assignment.
    void raises(const QWidget *control, std::function<void()> handler);

    // A check box's value: 0 unticked, 1 ticked, 2 greyed.
    static int checkValue(const QCheckBox &box);
    // Each raises the control's handler once the value has changed.
    void setCheckValue(QCheckBox &box, int value);
    void setComboText(QComboBox &combo, const QString &text);
    // Dir1 moves to path, raising its handler when the folder changed.
    void setDir1Path(const QString &path);
    // File1 lists path, even the folder it shows already, then raises.
    void setFile1Path(const QString &path);
    // Dir1, then File1, show folder; a list that cannot throws, and what
    // comes after it is not done.
    void showFolder(const QString &folder);

    // Dir1 and File1 share the folder read last.
    browse::FolderScan folderScan;

    QWidget *wmp1 = nullptr;
    browse::DriveList *Drive1 = nullptr;
    browse::DirList *Dir1 = nullptr;
    browse::FileList *File1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    favourites::FavouritesList *List1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QComboBox *Combo2 = nullptr;
    QComboBox *Combo3 = nullptr;
    QComboBox *Combo4 = nullptr;
    std::array<QLabel *, 4> Label1{};
    QTimer Timer1;

private:
    void raise(const QWidget *control) const;

    QHash<const QWidget *, std::function<void()>> handlers_;
};

} // namespace chimebox::app
