#include "gui/app/QtMessageSink.h"

#include "base/Version.h"

#include <QGridLayout>
#include <QMessageBox>

namespace chimebox::app {

namespace {

// Room for the caption beside the title bar's icon and buttons: a box as
// narrow as a short message has its caption cut down to "CH... OX7".
constexpr int kMinimumWidthInCharacters = 36;

QMessageBox *makeBox(QWidget *parent, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, version::messageCaption(), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // QMessageBox sizes itself to its contents and ignores a minimum width;
    // a spacer across its grid widens it.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout())) {
        const int width = box->fontMetrics().averageCharWidth() * kMinimumWidthInCharacters;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
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
