#include "base/Failure.h"
#include "core/app/Startup.h"
#include "core/favourites/Favourites.h"
#include "support/Files.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox;
using namespace chimebox::app;
using favourites::Favourites;
using settings::SettingsFile;
using settings::SettingsFolder;
using settings::StoredTime;

namespace {

// A plan's steps as text, one a step.
QStringList stepsOf(const RestorePlan &plan)
{
    QStringList steps;
    for (const RestoreStep &step : plan.steps) {
        switch (step.action) {
        case RestoreStep::Action::ShowFavourites:
            steps.append(QStringLiteral("favourites ") + step.favourites.join(u','));
            break;
        case RestoreStep::Action::ShowStopTime:
            steps.append(QStringLiteral("stopTime ") + step.time.hour + u'|' + step.time.minute);
            break;
        case RestoreStep::Action::ShowPlayTime:
            steps.append(QStringLiteral("playTime ") + step.time.hour + u'|' + step.time.minute);
            break;
        case RestoreStep::Action::TickStopTimer:
            steps.append(QStringLiteral("stopSwitch"));
            break;
        case RestoreStep::Action::TickPlayTimer:
            steps.append(QStringLiteral("playSwitch"));
            break;
        case RestoreStep::Action::ShowFolder:
            steps.append(QStringLiteral("open ") + step.folder);
            break;
        case RestoreStep::Action::Failed:
            steps.append(QStringLiteral("failed ") + step.setting);
            break;
        }
    }
    return steps;
}

} // namespace

Q_DECLARE_METATYPE(SettingsFile)

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QTemporaryDir music;
    SettingsFolder folder{dir.path()};

    void put(SettingsFile file, const QByteArray &bytes, testfiles::Caller caller = {}) const
    {
        testfiles::writeFile(folder.path(file), bytes, caller);
    }
    void putEverything() const
    {
        put(SettingsFile::Favourites, "/a\r\n/b\r\n\r\n");
        put(SettingsFile::StopTime, "0730\r\n");
        put(SettingsFile::PlayTime, "0645\r\n");
        put(SettingsFile::StopMarker, "\r\n");
        put(SettingsFile::PlayMarker, "\r\n");
        put(SettingsFile::LastFolder, music.path().toUtf8() + "\r\n");
    }

private Q_SLOTS:
    void init()
    {
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(dir.filePath(name));
    }

    void everyStepInItsOrder()
    {
        putEverything();
        Favourites favourites(folder);
        const RestorePlan plan = planRestore(folder, favourites);
        QCOMPARE(stepsOf(plan), (QStringList{"favourites /a,/b", "stopTime 07|30", "playTime 06|45",
                                             "stopSwitch", "playSwitch", "open " + music.path()}));
        QCOMPARE(plan.hours.size(), 24);
        QCOMPARE(plan.minutes.size(), 6);
        QCOMPARE(favourites.folders(), (QStringList{"/a", "/b"}));
    }

    void aFirstRunFillsThePickersAlone()
    {
        Favourites favourites(folder);
        const RestorePlan plan = planRestore(folder, favourites);
        QCOMPARE(stepsOf(plan), QStringList());
        QCOMPARE(plan.hours.first(), QStringLiteral("00"));
        QCOMPARE(plan.hours.last(), QStringLiteral("23"));
        QCOMPARE(plan.minutes, (QStringList{"00", "10", "20", "30", "40", "50"}));
    }

    // A step the window could not carry out is named in the report, and its
    // file kept as it is at exit; the steps around it are the window's to go on
    // with (gui/app/test_startup).
    void aFailingStepStandsAlone_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("named");
        QTest::addColumn<SettingsFile>("file");
        QTest::newRow("favourites") << 0 << "お気に入り" << SettingsFile::Favourites;
        QTest::newRow("stop time") << 1 << "停止タイマの時刻" << SettingsFile::StopTime;
        QTest::newRow("stop switch") << 3 << "停止タイマ" << SettingsFile::StopMarker;
        QTest::newRow("last folder") << 5 << "前回のフォルダ" << SettingsFile::LastFolder;
    }
    void aFailingStepStandsAlone()
    {
        QFETCH(int, step);
        QFETCH(QString, named);
        QFETCH(SettingsFile, file);
        putEverything();
        Favourites favourites(folder);
        const RestorePlan plan = planRestore(folder, favourites);
        QCOMPARE(plan.steps.size(), 6);
        RestoreResult result;
        result.failed(plan.steps[step], QStringLiteral("failed"));
        // A second failure of the same file is named again, the file kept once.
        result.failed(plan.steps[step], QStringLiteral("again"));
        QCOMPARE(result.failures, (QStringList{named + QStringLiteral(": failed"),
                                               named + QStringLiteral(": again")}));
        QCOMPARE(result.notRestored, QList<SettingsFile>{file});
    }

    void aLastFolderThatIsGoneIsNoFailure()
    {
        put(SettingsFile::LastFolder, music.path().toUtf8() + "/gone\r\n");
        Favourites favourites(folder);
        QCOMPARE(stepsOf(planRestore(folder, favourites)), QStringList());
    }

    // A file that cannot be read is a failed step in its place, named, and
    // kept as it is at exit.
    void anUnreadableFileIsNamedAndKept()
    {
        putEverything();
        if (!makeUnreadable(folder.path(SettingsFile::Favourites)) ||
            !makeUnreadable(folder.path(SettingsFile::LastFolder)))
            QSKIP("files stay readable here");
        Favourites favourites(folder);
        const RestorePlan plan = planRestore(folder, favourites);
        QCOMPARE(stepsOf(plan),
                 (QStringList{"failed お気に入り", "stopTime 07|30", "playTime 06|45", "stopSwitch",
                              "playSwitch", "failed 前回のフォルダ"}));
        RestoreResult result;
        for (const RestoreStep &step : plan.steps) {
            if (step.action == RestoreStep::Action::Failed)
                result.failed(step, step.failure);
        }
        QCOMPARE(result.failures.size(), 2);
        QVERIFY(result.failures[0].startsWith(QStringLiteral("お気に入り: ")));
        QVERIFY(result.failures[1].startsWith(QStringLiteral("前回のフォルダ: ")));
        QVERIFY(result.failures[1].contains(folder.path(SettingsFile::LastFolder)));
        QCOMPARE(result.notRestored,
                 (QList<SettingsFile>{SettingsFile::Favourites, SettingsFile::LastFolder}));
        QFile::setPermissions(folder.path(SettingsFile::Favourites),
                              QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
    }
};

CHIMEBOX_TEST_MAIN(TestStartup)
#include "test_startup.moc"
