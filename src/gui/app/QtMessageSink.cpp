#include "app/QtMessageSink.h"

#include <QMessageBox>

namespace chimebox::app {

namespace {

QMessageBox *makeBox(QWidget *parent, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("CHIMEBOX7"), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

} // namespace

void QtMessageSink::showMessage(const QString &text)
{
    makeBox(parent_, text)->exec();
}

void QtMessageSink::showFailure(const QString &text)
{
    // Not modal: the timer goes on ticking, so an alarm is never missed because
    // a report was left open.
    QMessageBox *box = makeBox(parent_, text);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

} // namespace chimebox::app
