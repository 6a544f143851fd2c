#include "StringProcedures.h"
#include "app/Form1.h"
#include "app/MessageSink.h"
#include "browse/DirList.h"
#include "browse/FileList.h"
#include "window/WindowWidth.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

namespace chimebox::app {

using settings::SettingsFile;

namespace {

// A combo box takes its first item as its text; the pickers keep the time that
// start-up restored, or stay empty.
void appendKeepingText(QComboBox &combo, const QString &item)
{
    const QString text = combo.currentText();
    combo.addItem(item);
    if (combo.currentText() != text) {
        combo.setCurrentIndex(-1);
        combo.setEditText(text);
    }
}

} // namespace

void Form1::placeWindow()
{
    setWidthTwips(window::kNarrowWidth);
    const QSizeF screen = screenSize();
    setLeftTwips(float(screen.width()) - widthTwips());
    setTopTwips(float(screen.height()) - heightTwips() - 650.0f);
}

void Form1::Form_Load()
{
    placeWindow();

    // From here on the first failure ends start-up silently; what the earlier
    // steps restored stays, and formLoaded stays false.
    try {
        if (settings_.isPresent(SettingsFile::Favourites))
            List1->addItems(settings_.readFavourites());
        if (settings_.isPresent(SettingsFile::StopTime)) {
            const settings::StoredTime time = settings_.readTime(SettingsFile::StopTime);
            setComboText(*Combo1, time.hour, &Form1::Combo1_Change);
            setComboText(*Combo2, time.minute, &Form1::Combo2_Change);
        }
        if (settings_.isPresent(SettingsFile::PlayTime)) {
            const settings::StoredTime time = settings_.readTime(SettingsFile::PlayTime);
            setComboText(*Combo3, time.hour, &Form1::Combo3_Change);
            setComboText(*Combo4, time.minute, &Form1::Combo4_Change);
        }
        if (settings_.isPresent(SettingsFile::StopMarker))
            setCheckValue(*Check1, 1, &Form1::Check1_Click);
        if (settings_.isPresent(SettingsFile::PlayMarker))
            setCheckValue(*Check2, 1, &Form1::Check2_Click);
        if (settings_.isPresent(SettingsFile::LastFolder)) {
            const QString folder = settings_.readLastFolder();
            setDir1Path(folder);
            File1->setPath(folder);
        }
        for (int i = 0; i <= 23; ++i) {
            appendKeepingText(*Combo1, strings::zerost(QString::number(i), 2));
            appendKeepingText(*Combo3, strings::zerost(QString::number(i), 2));
        }
        for (int i = 0; i <= 50; i += 10) {
            appendKeepingText(*Combo2, strings::zerost(QString::number(i), 2));
            appendKeepingText(*Combo4, strings::zerost(QString::number(i), 2));
        }
        formLoaded_ = true;
    } catch (const std::exception &) {
    }
}

void Form1::Form_Unload()
{
    // Both files are attempted: a failed first write must not cost the other.
    try {
        settings_.writeLastFolder(File1->path());
    } catch (const Failure &failure) {
        services_.messages.showMessage(failure.message());
    }
    QStringList favourites;
    for (int i = 0; i < List1->count(); ++i)
        favourites.append(List1->item(i)->text());
    try {
        settings_.writeFavourites(favourites);
    } catch (const Failure &failure) {
        services_.messages.showMessage(failure.message());
    }
}

} // namespace chimebox::app
