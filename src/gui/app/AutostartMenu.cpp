#include "gui/app/AutostartMenu.h"

#include "core/app/Autostart.h"
#include "core/app/MessageSink.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace chimebox::app {

AutostartMenu::AutostartMenu(QCheckBox &box, MessageSink &messages)
    : QObject(&box), box_(box), messages_(messages), menu_(new QMenu(&box)),
      startAtLogin_(menu_->addAction(QStringLiteral("ログイン時に起動する")))
{
    menu_->setObjectName(QStringLiteral("AutostartMenu"));
    menu_->setAccessibleName(QStringLiteral("再生タイマーのメニュー"));
    startAtLogin_->setCheckable(true);
    connect(startAtLogin_, &QAction::triggered, this, &AutostartMenu::chosen);
    // A screen reader says that the box has a menu; the layout stays as it is.
    box.setAccessibleDescription(
        QStringLiteral("メニューキーで、ログイン時に起動するよう設定できます"));
    box.installEventFilter(this);
}

bool AutostartMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &box_)
        return false;
    // Under the box, where the keyboard's user looks; at the pointer for a click.
    const QPoint underTheBox = box_.mapToGlobal(box_.rect().bottomLeft());
    if (event->type() == QEvent::ContextMenu) {
        const auto *request = static_cast<QContextMenuEvent *>(event);
        open(request->reason() == QContextMenuEvent::Mouse ? request->globalPos() : underTheBox);
        return true;
    }
    // The Menu key reaches here as a context-menu request; Shift+F10, which
    // Qt on Linux does not turn into one, as itself.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            open(underTheBox);
            return true;
        }
    }
    return false;
}

void AutostartMenu::open(const QPoint &globalPos)
{
    startAtLogin_->setChecked(Autostart::forThisProcess().isEnabled());
    menu_->popup(globalPos);
}

void AutostartMenu::chosen(bool checked)
{
    const Autostart autostart = Autostart::forThisProcess();
    if (const std::optional<QString> failure = checked ? autostart.enable() : autostart.disable())
        messages_.showFailure(*failure);
}

} // namespace chimebox::app
