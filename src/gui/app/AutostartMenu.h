#pragma once

#include <QObject>

class QAction;
class QCheckBox;
class QMenu;
class QPoint;

namespace chimebox::app {

class MessageSink;

// The play timer's check box's menu, with one item: "ログイン時に起動する",
// ticked while the session starts this copy (read anew at each opening), which
// writes or removes the autostart entry. It opens with a right click, the Menu
// key or Shift+F10 while the box has the focus; the box's own value stays as
// it is. A failure goes to messages.
class AutostartMenu : public QObject
{
    Q_OBJECT

public:
    // Installs itself on box, which owns it.
    AutostartMenu(QCheckBox &box, MessageSink &messages);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open(const QPoint &globalPos);
    void chosen(bool checked);

    QCheckBox &box_;
    MessageSink &messages_;
    QMenu *menu_;
    QAction *startAtLogin_;
};

} // namespace chimebox::app
