#include "core/app/MessageSink.h"
#include "core/app/Startup.h"
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

// The window's controls as start-up fills them, each through the assignment
// that raises its own handler.
class Form1::Restorer final : public RestoreTarget
{
public:
    explicit Restorer(Form1 &form) : form_(form) {}

    void addFavourites(const QStringList &folders) override { form_.List1->addItems(folders); }
    void showStopTime(const settings::StoredTime &time) override
    {
        form_.setComboText(*form_.Combo1, time.hour, &Form1::Combo1_Change);
        form_.setComboText(*form_.Combo2, time.minute, &Form1::Combo2_Change);
    }
    void showPlayTime(const settings::StoredTime &time) override
    {
        form_.setComboText(*form_.Combo3, time.hour, &Form1::Combo3_Change);
        form_.setComboText(*form_.Combo4, time.minute, &Form1::Combo4_Change);
    }
    // The box is ticked before its handler writes the marker anew, so a
    // marker that cannot be written still shows the timer as on.
    void tickStopTimer() override { form_.setCheckValue(*form_.Check1, 1, &Form1::Check1_Click); }
    void tickPlayTimer() override { form_.setCheckValue(*form_.Check2, 1, &Form1::Check2_Click); }
    void openFolder(const QString &folder) override
    {
        form_.setDir1Path(folder);
        form_.setFile1Path(folder);
    }
    void fillPickers(const QStringList &hours, const QStringList &minutes) override
    {
        for (QComboBox *hour : {form_.Combo1, form_.Combo3})
            appendKeepingText(*hour, hours);
        for (QComboBox *minute : {form_.Combo2, form_.Combo4})
            appendKeepingText(*minute, minutes);
    }

private:
    Form1 &form_;
};

void Form1::Form_Load()
{
    placeWindow();

    Restorer restorer(*this);
    const RestoreResult result = restoreSettings(settings_, favourites_, restorer);
    exitSave_.keep(result.notRestored);
    exitSave_.started(File1->path());
    showTimesThatNeverMatch();
    formLoaded_ = true;

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
