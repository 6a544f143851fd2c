#include "gui/app/Restorer.h"

#include "base/Failure.h"
#include "gui/app/FormControls.h"
#include "gui/favourites/FavouritesList.h"

#include <QCheckBox>
#include <QComboBox>
#include <exception>

namespace chimebox::app {

namespace {

// A combo box takes its first item as its text; the pickers keep the time that
// start-up restored, or stay empty.
void appendKeepingText(QComboBox &combo, const QStringList &items)
{
    const QString text = combo.currentText();
    combo.addItems(items);
    if (combo.currentText() != text) {
        combo.setCurrentIndex(-1);
        combo.setEditText(text);
    }
}

} // namespace

RestoreResult Restorer::run(const RestorePlan &plan)
{
    RestoreResult result;
    for (const RestoreStep &step : plan.steps) {
        try {
            carryOut(step);
        } catch (const Failure &failure) {
            result.failed(step, failure.message());
        } catch (const std::exception &error) {
            result.failed(step, QString::fromLocal8Bit(error.what()));
        }
    }
    for (QComboBox *hour : {ui_.Combo1, ui_.Combo3})
        appendKeepingText(*hour, plan.hours);
    for (QComboBox *minute : {ui_.Combo2, ui_.Combo4})
        appendKeepingText(*minute, plan.minutes);
    return result;
}

void Restorer::carryOut(const RestoreStep &step)
{
    using Action = RestoreStep::Action;
    switch (step.action) {
    case Action::ShowFavourites:
        ui_.List1->showFolders(step.favourites);
        break;
    case Action::ShowStopTime:
        ui_.setComboText(*ui_.Combo1, step.time.hour);
        ui_.setComboText(*ui_.Combo2, step.time.minute);
        break;
    case Action::ShowPlayTime:
        ui_.setComboText(*ui_.Combo3, step.time.hour);
        ui_.setComboText(*ui_.Combo4, step.time.minute);
        break;
    // The box is ticked before its handler writes the marker anew, so a
    // marker that cannot be written still shows the timer as on.
    case Action::TickStopTimer:
        ui_.setCheckValue(*ui_.Check1, 1);
        break;
    case Action::TickPlayTimer:
        ui_.setCheckValue(*ui_.Check2, 1);
        break;
    case Action::ShowFolder:
        ui_.showFolder(step.folder);
        break;
    case Action::Failed:
        throw Failure(step.failure);
    }
}

} // namespace chimebox::app
