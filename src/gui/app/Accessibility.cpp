#include "gui/app/Accessibility.h"

#include "gui/app/Form1.h"
#include "gui/browse/DriveList.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace chimebox::app {

namespace {

// A combo box whose name is its own, with the drive as its value, opened by
// the screen reader as by a click.
class AccessibleDriveList : public QAccessibleWidget
{
public:
    explicit AccessibleDriveList(browse::DriveList *list)
        : QAccessibleWidget(list, QAccessible::ComboBox)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return list()->currentText();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction())
            list()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    browse::DriveList *list() const { return static_cast<browse::DriveList *>(widget()); }
};

QAccessibleInterface *interfaceFor(const QString &, QObject *object)
{
    if (auto *window = qobject_cast<Form1 *>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    if (auto *drives = qobject_cast<browse::DriveList *>(object))
        return new AccessibleDriveList(drives);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&interfaceFor);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace chimebox::app
