#include "app/Form1.h"
#include "app/MessageSink.h"
#include "browse/DirList.h"
#include "browse/FileList.h"
#include "favourites/WindowWidth.h"
#include "settings/NativeName.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <filesystem>
#include <system_error>

namespace chimebox::app {

using settings::SettingsFile;

namespace {

// The stored folder ends with the line break the writer added; the folder is
// the text before it.
QString withoutFinalLineBreak(QString text)
{
    if (text.endsWith(QStringLiteral("\r\n")))
        text.chop(2);
    return text;
}

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

// Looked up the way the folder list will open it: made absolute and clean.
bool folderIsThere(const QString &folder)
{
    if (folder.trimmed().isEmpty())
        return false;
    std::error_code ec;
    return std::filesystem::is_directory(nativename::toPath(browse::cleanFolderPath(folder)), ec);
}

QStringList favouritesIn(const QListWidget &list)
{
    QStringList favourites;
    for (int i = 0; i < list.count(); ++i)
        favourites.append(list.item(i)->text());
    return favourites;
}

} // namespace

void Form1::placeWindow()
{
    setWidth(favourites::kNarrowWidth);
    const QSizeF screen = screenSize();
    setLeft(float(screen.width()) - Width());
    setTop(float(screen.height()) - Height() - 650.0f);
}

void Form1::Form_Load()
{
    placeWindow();

    // From here on each step stands alone: a failure ends only its own step,
    // and what could not be restored is reported once the window is on screen.
    QStringList notRestored;
    const auto step = [&notRestored](const QString &setting, auto &&body) {
        try {
            body();
        } catch (const Failure &failure) {
            notRestored.append(setting + QStringLiteral(": ") + failure.message());
        } catch (const std::exception &error) {
            notRestored.append(setting + QStringLiteral(": ") +
                               QString::fromLocal8Bit(error.what()));
        }
    };

    if (settings_.isPresent(SettingsFile::Favourites)) {
        step(QStringLiteral("お気に入り"), [this] {
            for (const QString &folder :
                 settings::parseFavourites(ReadFile(settings_.path(SettingsFile::Favourites))))
                List1->addItem(folder);
        });
    }
    if (settings_.isPresent(SettingsFile::StopTime)) {
        step(QStringLiteral("停止タイマの時刻"), [this] {
            setComboText(*Combo1,
                         settings::hourText(ReadFile(settings_.path(SettingsFile::StopTime))),
                         &Form1::Combo1_Change);
            setComboText(*Combo2,
                         settings::minuteText(ReadFile(settings_.path(SettingsFile::StopTime))),
                         &Form1::Combo2_Change);
        });
    }
    if (settings_.isPresent(SettingsFile::PlayTime)) {
        step(QStringLiteral("再生タイマーの時刻"), [this] {
            setComboText(*Combo3,
                         settings::hourText(ReadFile(settings_.path(SettingsFile::PlayTime))),
                         &Form1::Combo3_Change);
            setComboText(*Combo4,
                         settings::minuteText(ReadFile(settings_.path(SettingsFile::PlayTime))),
                         &Form1::Combo4_Change);
        });
    }
    // The box is ticked before its handler writes the marker anew, so a marker
    // that cannot be written still shows the timer as on.
    if (settings_.isPresent(SettingsFile::StopMarker))
        step(QStringLiteral("停止タイマ"),
             [this] { setCheckValue(*Check1, 1, &Form1::Check1_Click); });
    if (settings_.isPresent(SettingsFile::PlayMarker))
        step(QStringLiteral("再生タイマー"),
             [this] { setCheckValue(*Check2, 1, &Form1::Check2_Click); });
    if (settings_.isPresent(SettingsFile::LastFolder)) {
        step(QStringLiteral("前回のフォルダ"), [this] {
            const QString folder =
                withoutFinalLineBreak(ReadFile(settings_.path(SettingsFile::LastFolder)));
            // A deleted folder or an unplugged stick is nothing to report: the
            // lists stay on the folder they started with.
            if (!folderIsThere(folder))
                return;
            setDir1Path(folder);
            File1->setPath(folder);
        });
    }

    for (int i = 0; i <= 23; ++i) {
        appendKeepingText(*Combo1, zerost(QString::number(i), 2));
        appendKeepingText(*Combo3, zerost(QString::number(i), 2));
    }
    for (int i = 0; i <= 50; i += 10) {
        appendKeepingText(*Combo2, zerost(QString::number(i), 2));
        appendKeepingText(*Combo4, zerost(QString::number(i), 2));
    }
    formLoaded_ = true;

    // Start-up runs before the window is shown; the report waits for the
    // event loop, which starts after the window is shown.
    if (!notRestored.isEmpty()) {
        const QString text = QStringLiteral("前回の設定の一部を復元できませんでした。\n\n") +
                             notRestored.join(u'\n');
        QMetaObject::invokeMethod(
            this, [this, text] { reportFailure(text); }, Qt::QueuedConnection);
    }
}

void Form1::Form_Unload()
{
    // Both files are attempted: a failed first write must not cost the other.
    try {
        WriteFile(settings_.path(SettingsFile::LastFolder), File1->path());
    } catch (const Failure &failure) {
        services_.messages.showMessage(failure.message());
    }
    try {
        WriteFile(settings_.path(SettingsFile::Favourites),
                  settings::formatFavourites(favouritesIn(*List1)));
    } catch (const Failure &failure) {
        services_.messages.showMessage(failure.message());
    }
}

void Form1::shutDown()
{
    ShutdownState now{File1->path(), favouritesIn(*List1)};
    if (savedAtShutdown_ == now)
        return;
    savedAtShutdown_ = std::move(now);
    Form_Unload();
}

} // namespace chimebox::app
