#pragma once

#include "base/NativeName.h"
#include "core/playback/PlaybackSession.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileManager.h"
#include "fakes/FakeMessageSink.h"
#include "fakes/FakeOutput.h"
#include "fakes/FakePlayer.h"
#include "gui/app/Form1.h"
#include "support/AutoPlayName.h"
#include "support/Files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// A window over a temp settings folder, a playback session over a fake player,
// clock and output, fake message boxes and file manager, on a screen of a
// chosen size.
struct FormHarness
{
    QTemporaryDir settingsDir;
    QTemporaryDir music;
    FakePlayer player;
    FakeClock clock;
    FakeOutput output;
    chimebox::playback::PlaybackSession session{
        player, clock, chimebox::settings::SettingsFolder(settingsDir.path()), &output};
    FakeMessageSink messages;
    FakeFileManager fileManager;
    QSizeF screen{1280 * 15, 1024 * 15};
    // Replaces fileManager when set before the window is created.
    chimebox::browse::FileManagerLauncher *launcher = nullptr;
    // Replaces messages when set before the window is created.
    chimebox::app::MessageSink *sink = nullptr;
    std::unique_ptr<chimebox::app::Form1> form;

    void create()
    {
        form = std::make_unique<chimebox::app::Form1>(chimebox::app::Form1::Services{
            session, new QWidget, sink ? *sink : messages, launcher ? *launcher : fileManager,
            settingsDir.path(), [this] { return screen; }});
    }

    // Loaded and on screen, so that mouse clicks reach the controls as a user's would.
    bool loadAndShow()
    {
        load();
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }

    void click(const char *button) const
    {
        QTest::mouseClick(find<QWidget>(button), Qt::LeftButton);
    }

    // As a user adds one: "＞" widens a narrow window, then adds the folder
    // Dir1 shows.
    void addFavourite() const
    {
        if (form->widthTwips() != 13575.0f)
            click("Command2");
        click("Command2");
    }

    static void clickRow(QAbstractItemView *list, int row)
    {
        const QRect cell = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    }

    void load()
    {
        if (!form)
            create();
        form->Form_Load();
    }

    chimebox::playback::AutoPlay autoPlayState() const { return form->session().autoPlayState(); }

    template <typename T> T *find(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }

    QString settingsPath(const char *name) const
    {
        return settingsDir.path() + u'/' + QString::fromLatin1(name);
    }

    void putSetting(const char *name, const QByteArray &bytes, testfiles::Caller caller = {}) const
    {
        testfiles::writeFile(settingsPath(name), bytes, caller);
    }

    QByteArray setting(const char *name, testfiles::Caller caller = {}) const
    {
        return testfiles::readFile(settingsPath(name), caller);
    }

    QStringList settingsFiles() const
    {
        return QDir(settingsDir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // A folder under the music dir with the given files (empty content).
    QString makeFolder(const QString &relative, const QStringList &files = {},
                       testfiles::Caller caller = {}) const
    {
        return testfiles::makeFolder(music.path() + u'/' + relative, files, caller);
    }
};
