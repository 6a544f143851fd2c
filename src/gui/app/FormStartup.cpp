#include "base/Failure.h"
#include "core/app/MessageSink.h"
#include "core/app/Startup.h"
#include "core/scheduler/TimerSettings.h"
#include "gui/app/Form1.h"
#include "gui/browse/DirList.h"
#include "gui/browse/FileList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

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

// Carries out start-up's plan on the window's controls, each step through
// the assignment that raises its controls' own handler.
class Form1::Restorer
{
public:
    explicit Restorer(Form1 &form) : form_(form) {}

    RestoreResult run(const RestorePlan &plan)
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
        for (QComboBox *hour : {form_.Combo1, form_.Combo3})
            appendKeepingText(*hour, plan.hours);
        for (QComboBox *minute : {form_.Combo2, form_.Combo4})
            appendKeepingText(*minute, plan.minutes);
        return result;
    }

private:
    void carryOut(const RestoreStep &step)
    {
        using Action = RestoreStep::Action;
        switch (step.action) {
        case Action::ShowFavourites:
            form_.List1->addItems(step.favourites);
            break;
        case Action::ShowStopTime:
            form_.setComboText(*form_.Combo1, step.time.hour, &Form1::Combo1_Change);
            form_.setComboText(*form_.Combo2, step.time.minute, &Form1::Combo2_Change);
            break;
        case Action::ShowPlayTime:
            form_.setComboText(*form_.Combo3, step.time.hour, &Form1::Combo3_Change);
            form_.setComboText(*form_.Combo4, step.time.minute, &Form1::Combo4_Change);
            break;
        // The box is ticked before its handler writes the marker anew, so a
        // marker that cannot be written still shows the timer as on.
        case Action::TickStopTimer:
            form_.setCheckValue(*form_.Check1, 1, &Form1::Check1_Click);
            break;
        case Action::TickPlayTimer:
            form_.setCheckValue(*form_.Check2, 1, &Form1::Check2_Click);
            break;
        case Action::ShowFolder:
            form_.setDir1Path(step.folder);
            form_.setFile1Path(step.folder);
            break;
        case Action::Failed:
            throw Failure(step.failure);
        }
    }

    Form1 &form_;
};

void Form1::Form_Load()
{
    placeWindow();

    const RestoreResult result = Restorer(*this).run(planRestore(settings_, favourites_));
    exitSave_.keep(result.notRestored);
    exitSave_.started(File1->path());
    showTimesThatNeverMatch();
    timerSettings_->markFormLoaded();

    // Start-up runs before the window is shown; the report waits for the
    // event loop, which starts after the window is shown.
    if (!result.failures.isEmpty()) {
        const QString text = QStringLiteral("前回の設定の一部を復元できませんでした。\n\n") +
                             result.failures.join(u'\n');
        QMetaObject::invokeMethod(
            this, [this, text] { reportFailure(text); }, Qt::QueuedConnection);
    }
}

void Form1::Form_Unload()
{
    for (const QString &failure : exitSave_.save(File1->path()))
        services_.messages.showMessage(failure);
}

} // namespace chimebox::app
