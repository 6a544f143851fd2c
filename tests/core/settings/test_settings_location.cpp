#include "core/settings/SettingsLocation.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox::settings;

class TestSettingsLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whereTheSettingsLive_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<bool>("besideTheProgram");
        QTest::newRow("a copy of its own") << false << true << true;
        // Root, or a user installing to ~/.local: the folder can be written.
        QTest::newRow("installed, folder writable") << true << true << false;
        QTest::newRow("a folder that cannot be written") << false << false << false;
    }

    void whereTheSettingsLive()
    {
        QFETCH(bool, installed);
        QFETCH(bool, folderExists);
        QFETCH(bool, besideTheProgram);
        QTemporaryDir dir;
        const QString bin = dir.filePath(QStringLiteral("bin"));
        if (folderExists)
            QVERIFY(QDir().mkpath(bin));
        const QString entry = dir.filePath(QStringLiteral("share/applications/chimebox.desktop"));
        if (installed) {
            QVERIFY(QDir().mkpath(QFileInfo(entry).path()));
            testfiles::writeFile(entry, {});
        }
        const QString user = dir.filePath(QStringLiteral("home/.config/chimebox"));
        const QString chosen = chooseSettingsFolder(bin, entry, user);
        QCOMPARE(chosen, besideTheProgram ? bin : user);
        QVERIFY(QFileInfo(chosen).isDir());
    }
};

CHIMEBOX_TEST_MAIN(TestSettingsLocation)
#include "test_settings_location.moc"
